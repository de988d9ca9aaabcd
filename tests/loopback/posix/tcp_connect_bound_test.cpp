// A printer that silently drops the connection request: a listener on 127.0.0.1 whose accept
// queue is full (backlog 0, filled, never accepted) drops further SYNs, exactly like a printer
// behind a dropping firewall. The connect must end on its own bound with the connect error,
// not after the system's two-minute limit.
#include "ports/NetPort.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

class UniqueSocket {
  public:
    explicit UniqueSocket(int fd) : fd_(fd) {}
    ~UniqueSocket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UniqueSocket(UniqueSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueSocket(const UniqueSocket&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Whether a non-blocking connect from a fresh socket completes within waitMs.
bool connectsWithin(const sockaddr_in& target, int waitMs, std::vector<UniqueSocket>& keep) {
    UniqueSocket client(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    ::connect(client.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target);
    pollfd pfd{client.get(), POLLOUT, 0};
    const bool done = ::poll(&pfd, 1, waitMs) == 1;
    keep.push_back(std::move(client));
    return done;
}

TEST(TcpConnectBound, ADroppedRequestFailsOnItsOwnBoundWithTheConnectError) {
    UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &size);
    ASSERT_EQ(::listen(listener.get(), 0), 0);

    // Fill the accept queue until a connect no longer completes.
    std::vector<UniqueSocket> fillers;
    int filled = 0;
    while (connectsWithin(address, 500, fillers)) {
        ASSERT_LT(++filled, 16) << "the listener keeps accepting; cannot make it drop requests";
    }

    NetPort port;
    ASSERT_EQ(port.create(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.connect("127.0.0.1", ntohs(address.sin_port)), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    // About 20 s; well short of the system's own limit of over two minutes.
    EXPECT_LT(waited, std::chrono::seconds(60));
    EXPECT_GT(waited, std::chrono::seconds(5));
    EXPECT_NE(port.lastErrorText().find("connection timed out"), std::string::npos)
        << port.lastErrorText();
}

} // namespace
