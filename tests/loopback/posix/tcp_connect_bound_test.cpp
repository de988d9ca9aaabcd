// A printer that silently drops the connection request: a listener on 127.0.0.1 whose accept
// queue is full (backlog 0, filled, never accepted) drops further SYNs, exactly like a printer
// behind a dropping firewall. The connect must end on its own bound with the connect error,
// not after the system's two-minute limit.
#include "ports/NetPort.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// The test's own sockets, closed at the end.
struct Sockets {
    std::vector<int> fds;
    ~Sockets() {
        for (int fd : fds) {
            ::close(fd);
        }
    }
    int open(int flags = 0) { return fds.emplace_back(::socket(AF_INET, SOCK_STREAM | flags, 0)); }
};

TEST(TcpConnectBound, ADroppedRequestFailsOnItsOwnBoundWithTheConnectError) {
    Sockets sockets;
    const int listener = sockets.open();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    ASSERT_EQ(::listen(listener, 0), 0);

    // Fill the accept queue until a connect from a fresh socket no longer completes.
    for (int filled = 0;; ++filled) {
        ASSERT_LT(filled, 16) << "the listener keeps accepting; cannot make it drop requests";
        const int client = sockets.open(SOCK_NONBLOCK);
        ::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        pollfd pfd{client, POLLOUT, 0};
        if (::poll(&pfd, 1, 500) != 1) {
            break;
        }
    }

    NetPort port{systemSocketFactory()};
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
