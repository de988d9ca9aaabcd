#include "platform/Interrupt.h"
#include "platform/NetSocket.h"
#include "platform/posix/UniqueFd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {
constexpr int sendPollSliceMs = 100;

// The IPv4 address for text: dotted form first, then the resolver.
bool resolveIpv4(const std::string& address, in_addr& out) {
    if (::inet_pton(AF_INET, address.c_str(), &out) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    out = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

class PosixNetSocket final : public NetSocket {
  public:
    explicit PosixNetSocket(UniqueFd fd) : fd_(std::move(fd)) {}

    bool connect(const std::string& address, uint16_t port) override {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        if (address.empty() || !resolveIpv4(address, target.sin_addr)) {
            error_ = EHOSTUNREACH;
            return false;
        }
        int rc;
        do {
            rc = ::connect(fd_.get(), reinterpret_cast<sockaddr*>(&target), sizeof target);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            error_ = errno;
            return false;
        }
        return true;
    }

    int32_t sendAll(const uint8_t* data, int32_t length) override {
        int32_t sent = 0;
        int stalledMs = 0;
        while (sent < length) {
            if (interruptRequested()) {
                error_ = EINTR;
                return -1;
            }
            // Wait in short slices so an interrupt request is seen promptly and a printer that
            // stops taking data ends the send instead of blocking it forever.
            pollfd pfd{fd_.get(), POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, sendPollSliceMs);
            if (ready < 0 && errno != EINTR) {
                error_ = errno;
                return -1;
            }
            if (ready <= 0) {
                stalledMs += sendPollSliceMs;
                if (stalledMs >= static_cast<int>(sendStallLimitMs)) {
                    error_ = ETIMEDOUT;
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
                return -1;
            }
            sent += static_cast<int32_t>(n);
            stalledMs = 0;
        }
        return length;
    }

    int nativeError() const override { return error_; }

  private:
    UniqueFd fd_;
    int error_ = 0;
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
