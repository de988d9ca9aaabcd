// Network printers played on 127.0.0.1. One reads part of the image and resets after the whole
// image went into the socket buffers: only the connection can then say how much the printer's
// side took. Another silently drops the connection request, as behind a dropping firewall: the
// connect must end on its own bound, not after the system's two-minute limit.
#include "ports/NetPort.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The test's own sockets, closed at the end, and the address of its listener on 127.0.0.1.
struct Loopback {
    std::vector<int> fds;
    sockaddr_in address{};
    ~Loopback() {
        for (int fd : fds) {
            ::close(fd);
        }
    }
    int open(int flags = 0) { return fds.emplace_back(::socket(AF_INET, SOCK_STREAM | flags, 0)); }
    // A listener with this backlog and, when given, a receive buffer of this size; its port.
    uint16_t listen(int backlog, int receiveBuffer = 0) {
        const int fd = open();
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (receiveBuffer > 0) {
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        socklen_t size = sizeof address;
        const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
                        ::listen(fd, backlog) == 0;
        return ok ? ntohs(address.sin_port) : 0;
    }
};

// Looks at the connection until it is broken or its count has stopped growing for a while.
NetDelivery settled(NetPort& port) {
    NetDelivery last = port.delivery();
    for (int unchanged = 0, looks = 0; unchanged < 5 && looks < 200 && !last.broken; ++looks) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const NetDelivery now = port.delivery();
        unchanged = now.acknowledged == last.acknowledged ? unchanged + 1 : 0;
        last = now;
    }
    return last;
}

TEST(TcpDelivery, APrinterThatReadsPartAndResetsLeavesABrokenConnectionWithItsCount) {
    Loopback sockets;
    const uint16_t listening = sockets.listen(1, 16384); // small: the image cannot sit unread
    ASSERT_NE(listening, 0);
    NetPort port{systemSocketFactory()};
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("127.0.0.1", listening), 1);
    const int printer = ::accept(sockets.fds[0], nullptr, nullptr);

    constexpr size_t readLimit = 100000;
    std::atomic<size_t> read{0};
    std::atomic<bool> resetNow{false};
    int unread = 0;
    std::thread reader([&] {
        std::vector<char> buffer(8192);
        for (ssize_t n = 1; n > 0 && read < readLimit; read += size_t(n > 0 ? n : 0)) {
            n = ::read(printer, buffer.data(), std::min(buffer.size(), readLimit - read.load()));
        }
        while (!resetNow) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::ioctl(printer, FIONREAD, &unread);
        const linger abort{1, 0};
        ::setsockopt(printer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(printer);
    });

    const std::vector<uint8_t> image(262144, 0x5A);
    const int32_t sent = port.send(image.data(), int32_t(image.size()), 0);
    const NetDelivery before = settled(port);
    resetNow = true;
    reader.join();
    const NetDelivery after = settled(port);

    ASSERT_EQ(sent, 262144) << "the image did not fit in the socket buffers";
    EXPECT_TRUE(before.counted && !before.broken && after.broken);
    EXPECT_GE(before.acknowledged, int32_t(readLimit));
    EXPECT_LT(before.acknowledged, 262144);
    EXPECT_EQ(after.acknowledged, int32_t(read + size_t(unread))); // all the printer took
    EXPECT_NE(port.lastErrorText().find("the printer broke the connection"), std::string::npos)
        << port.lastErrorText();
}

TEST(TcpConnectBound, ADroppedRequestFailsOnItsOwnBoundWithTheConnectError) {
    Loopback sockets;
    const uint16_t listening = sockets.listen(0);
    ASSERT_NE(listening, 0);
    // Fill the accept queue (never accepted) until a connect from a fresh socket no longer
    // completes: further requests are dropped.
    for (int filled = 0;; ++filled) {
        ASSERT_LT(filled, 16) << "the listener keeps accepting; cannot make it drop requests";
        const int client = sockets.open(SOCK_NONBLOCK);
        ::connect(client, reinterpret_cast<const sockaddr*>(&sockets.address),
                  sizeof sockets.address);
        pollfd pfd{client, POLLOUT, 0};
        if (::poll(&pfd, 1, 500) != 1) {
            break;
        }
    }

    NetPort port{systemSocketFactory()};
    ASSERT_EQ(port.create(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.connect("127.0.0.1", listening), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    // About 20 s; well short of the system's own limit of over two minutes.
    EXPECT_LT(waited, std::chrono::seconds(60));
    EXPECT_GT(waited, std::chrono::seconds(5));
    EXPECT_NE(port.lastErrorText().find("connection timed out"), std::string::npos)
        << port.lastErrorText();
}

} // namespace
