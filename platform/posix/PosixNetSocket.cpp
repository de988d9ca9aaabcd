#include "platform/Interrupt.h"
#include "platform/NetSocket.h"
#include "platform/posix/SteadyTime.h"
#include "platform/posix/UniqueFd.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {
constexpr int sendPollSliceMs = 100;
// Waits are sliced so an interrupt request ends them promptly.
constexpr int connectPollSliceMs = 100;

// The IPv4 address for text: dotted form first, then the resolver. On failure, why not.
bool resolveIpv4(const std::string& address, in_addr& out, std::string& why) {
    if (::inet_pton(AF_INET, address.c_str(), &out) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(address.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        why = address.empty() ? std::string("no address given")
                              : "not an IP address, and no host of that name is known (" +
                                    std::string(::gai_strerror(rc)) + ")";
        return false;
    }
    out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

std::string connectErrorText(int error) {
    switch (error) {
    case ECONNREFUSED:
        return "connection refused: nothing accepts connections on this port";
    case ETIMEDOUT:
        return "connection timed out: no answer within " + std::to_string(connectLimitMs / 1000) +
               " s (is the printer on, and the address right?)";
    case EINTR:
        return "interrupted";
    case EHOSTUNREACH:
        return "no route to host";
    case ENETUNREACH:
        return "network unreachable";
    default:
        return std::strerror(error);
    }
}

class PosixNetSocket final : public NetSocket {
  public:
    explicit PosixNetSocket(UniqueFd fd) : fd_(std::move(fd)) {}

    bool connect(const std::string& address, uint16_t port) override {
        target_ = address + ":" + std::to_string(port);
        errorText_.clear();
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        std::string why;
        if (!resolveIpv4(address, target.sin_addr, why)) {
            error_ = EHOSTUNREACH;
            errorText_ = target_ + ": " + why;
            return false;
        }
        // Non-blocking, so the wait for the printer's answer has our own limit instead of the
        // system's, and can end at once when the run is interrupted.
        const int flags = ::fcntl(fd_.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd_.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
            return failed(errno);
        }
        if (::connect(fd_.get(), reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
            return true;
        }
        // An interrupted connect goes on in the background, like one in progress.
        if (errno != EINPROGRESS && errno != EINTR) {
            return failed(errno);
        }
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            if (interruptRequested()) {
                return failed(EINTR);
            }
            const long long left = static_cast<long long>(connectLimitMs) - msSince(start);
            if (left <= 0) {
                return failed(ETIMEDOUT);
            }
            pollfd pfd{fd_.get(), POLLOUT, 0};
            const int ready =
                ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left, connectPollSliceMs)));
            if (ready < 0 && errno != EINTR) {
                return failed(errno);
            }
            if (ready > 0) {
                int error = 0;
                socklen_t size = sizeof error;
                if (::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                    error = errno;
                }
                return error == 0 ? true : failed(error);
            }
        }
    }

    int32_t sendAll(const uint8_t* data, int32_t length) override {
        int32_t& sent = sent_;
        sent = 0;
        int stalledMs = 0;
        while (sent < length) {
            if (interruptRequested()) {
                error_ = EINTR;
                errorText_ = target_ + ": interrupted";
                return -1;
            }
            // Wait in short slices so an interrupt request is seen promptly and a printer that
            // stops taking data ends the send instead of blocking it forever.
            pollfd pfd{fd_.get(), POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, sendPollSliceMs);
            if (ready < 0 && errno != EINTR) {
                error_ = errno;
                errorText_ = target_ + ": " + std::strerror(errno);
                return -1;
            }
            if (ready <= 0) {
                stalledMs += sendPollSliceMs;
                if (stalledMs >= static_cast<int>(sendStallLimitMs)) {
                    error_ = ETIMEDOUT;
                    errorText_ = target_ + ": the printer took no data for " +
                                 std::to_string(sendStallLimitMs / 1000) + " s";
                    return -1;
                }
                continue;
            }
            // MSG_NOSIGNAL: a reset peer is an error result, not a SIGPIPE that ends the process.
            const ssize_t n = ::send(fd_.get(), data + sent, static_cast<size_t>(length - sent),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                    continue;
                }
                error_ = errno;
                errorText_ = target_ + ": the connection broke: " + std::strerror(errno);
                return -1;
            }
            sent += static_cast<int32_t>(n);
            stalledMs = 0;
        }
        return length;
    }

    int32_t receive(uint8_t* buffer, int32_t length, int32_t waitMs) override {
        pollfd pfd{fd_.get(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, waitMs);
        if (ready <= 0) {
            return ready < 0 && errno != EINTR ? -1 : 0;
        }
        const ssize_t n = ::recv(fd_.get(), buffer, static_cast<size_t>(length), MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            return 0;
        }
        return n > 0 ? static_cast<int32_t>(n) : -1; // 0: the peer closed the connection
    }

    // SIOCOUTQ counts what the printer has not acknowledged yet, sent or still queued; it keeps
    // its value after a reset, so the count stays right for the report of the failure.
    NetDelivery delivery() override {
        NetDelivery d;
        d.acknowledged = sent_;
        int pending = 0;
        if (::ioctl(fd_.get(), SIOCOUTQ, &pending) == 0) {
            d.counted = true;
            d.acknowledged = sent_ - std::clamp(pending, 0, sent_);
        }
        if (resetError_ == 0) {
            // SO_ERROR is cleared by reading it, so the first reset seen is kept. A connection
            // whose error was already taken by a failed send still shows as closed in TCP_INFO.
            int error = 0;
            socklen_t size = sizeof error;
            tcp_info info{};
            socklen_t infoSize = sizeof info;
            if (::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error != 0) {
                resetError_ = error;
            } else if (::getsockopt(fd_.get(), IPPROTO_TCP, TCP_INFO, &info, &infoSize) == 0 &&
                       info.tcpi_state == TCP_CLOSE) {
                resetError_ = ECONNRESET;
            }
            if (resetError_ != 0) {
                error_ = resetError_;
                errorText_ = target_ + ": the printer broke the connection (" +
                             std::strerror(resetError_) + ")";
            }
        }
        d.broken = resetError_ != 0;
        return d;
    }

    int nativeError() const override { return error_; }
    std::string lastErrorText() const override { return errorText_; }
    int32_t lastSendAccepted() const override { return sent_; }

  private:
    bool failed(int error) {
        error_ = error;
        errorText_ = target_ + ": " + connectErrorText(error);
        return false;
    }

    UniqueFd fd_;
    int error_ = 0;
    int resetError_ = 0;
    int32_t sent_ = 0; // of the last sendAll
    std::string target_;
    std::string errorText_;
};

class PosixSocketFactory final : public SocketFactory {
  public:
    std::unique_ptr<NetSocket> createStream() override {
        UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!fd) {
            return nullptr;
        }
        return std::make_unique<PosixNetSocket>(std::move(fd));
    }
};
} // namespace

SocketFactory& systemSocketFactory() {
    static PosixSocketFactory factory;
    return factory;
}
