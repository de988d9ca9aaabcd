#include "platform/NetSocket.h"
#include "platform/posix/UniqueFd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {
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
        while (sent < length) {
            // MSG_NOSIGNAL: a reset peer is an error result, not a SIGPIPE that ends the process.
            const ssize_t n =
                ::send(fd_.get(), data + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error_ = errno;
                return -1;
            }
            sent += static_cast<int32_t>(n);
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
