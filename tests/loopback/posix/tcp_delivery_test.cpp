// The printer's acknowledgement as Linux reports it, on a real 127.0.0.1 connection. The whole
// image fits in the socket buffers, so the send succeeds while the printer has read only part
// of it; the connection then says how much the printer's side took, and that it was reset.
#include "ports/NetPort.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) {
            ::close(fd);
        }
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
    Fd listener{::socket(AF_INET, SOCK_STREAM, 0)};
    const int small = 16384; // so the printer's side cannot hold the whole image unread
    ::setsockopt(listener.fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &size);
    ASSERT_EQ(::listen(listener.fd, 1), 0);

    NetPort port{systemSocketFactory()};
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("127.0.0.1", ntohs(address.sin_port)), 1);
    Fd printer{::accept(listener.fd, nullptr, nullptr)};
    ASSERT_GE(printer.fd, 0);

    constexpr size_t readLimit = 100000;
    std::atomic<size_t> read{0};
    std::atomic<bool> resetNow{false};
    int unread = 0;
    std::thread reader([&] {
        std::vector<char> buffer(8192);
        while (read < readLimit) {
            const ssize_t n =
                ::read(printer.fd, buffer.data(), std::min(buffer.size(), readLimit - read.load()));
            if (n <= 0) {
                return;
            }
            read += size_t(n);
        }
        while (!resetNow) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::ioctl(printer.fd, FIONREAD, &unread);
        const linger abort{1, 0};
        ::setsockopt(printer.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(printer.fd);
        printer.fd = -1;
    });

    const std::vector<uint8_t> image(262144, 0x5A);
    const int32_t sent = port.send(image.data(), int32_t(image.size()), 0);
    const NetDelivery before = settled(port);
    resetNow = true;
    reader.join();
    const NetDelivery after = settled(port);

    ASSERT_EQ(sent, 262144) << "the image did not fit in the socket buffers";
    EXPECT_TRUE(before.counted);
    EXPECT_FALSE(before.broken);
    EXPECT_GE(before.acknowledged, int32_t(readLimit));
    EXPECT_LT(before.acknowledged, 262144);
    EXPECT_TRUE(after.broken);
    EXPECT_EQ(after.acknowledged, int32_t(read + size_t(unread))); // all the printer took
    EXPECT_NE(port.lastErrorText().find("the printer broke the connection"), std::string::npos)
        << port.lastErrorText();
}

TEST(TcpDelivery, APrinterThatReadsEverythingAcknowledgesEveryByte) {
    Fd listener{::socket(AF_INET, SOCK_STREAM, 0)};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &size);
    ASSERT_EQ(::listen(listener.fd, 1), 0);

    NetPort port{systemSocketFactory()};
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("127.0.0.1", ntohs(address.sin_port)), 1);
    Fd printer{::accept(listener.fd, nullptr, nullptr)};
    std::thread reader([&] {
        char buffer[8192];
        while (::read(printer.fd, buffer, sizeof buffer) > 0) {
        }
    });
    const std::vector<uint8_t> image(262144, 0x5A);
    EXPECT_EQ(port.send(image.data(), int32_t(image.size()), 0), 262144);
    const NetDelivery d = settled(port);
    port.close(); // the reader sees the end
    reader.join();
    EXPECT_TRUE(d.counted);
    EXPECT_FALSE(d.broken);
    EXPECT_EQ(d.acknowledged, 262144);
}

} // namespace
