// The printer's acknowledgement as Winsock gives it, on a real 127.0.0.1 connection whose
// printer side is a thread of this test. The whole image fits in the socket buffers, so the send
// succeeds while the printer has read only part of it: what the connection says afterwards is
// all there is to tell a reset from a printer that took everything. Under Wine there is no count
// (SIO_TCP_INFO is refused) and a reset is reported like an orderly close, which is the case
// these rows are here for.
#include "ports/NetPort.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

enum class PrinterEnd { Reset, Close, StayOpen };

// A listener on 127.0.0.1 whose one connection reads up to readLimit bytes and then ends as told.
class LoopbackPrinter {
  public:
    LoopbackPrinter() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        // Small, so the printer's side cannot hold the unread rest of the image.
        const int small = 16384;
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small),
                     sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 1);
    }
    ~LoopbackPrinter() {
        if (reader_.joinable()) {
            reader_.join();
        }
        closesocket(listener_);
        if (started_) {
            WSACleanup();
        }
    }
    LoopbackPrinter(const LoopbackPrinter&) = delete;
    LoopbackPrinter& operator=(const LoopbackPrinter&) = delete;

    uint16_t port() const { return port_; }

    // Accepts the connection and reads on a thread of its own.
    void serve(size_t readLimit, PrinterEnd end) {
        const SOCKET s = ::accept(listener_, nullptr, nullptr);
        ASSERT_NE(s, INVALID_SOCKET);
        reader_ = std::thread([this, s, readLimit, end] {
            std::vector<char> buffer(8192);
            while (read_ < readLimit) {
                const int want = int(std::min(buffer.size(), readLimit - read_.load()));
                const int n = ::recv(s, buffer.data(), want, 0);
                if (n <= 0) {
                    break;
                }
                read_ += size_t(n);
            }
            if (end == PrinterEnd::StayOpen) {
                while (!released_) {
                    Sleep(5);
                }
            } else if (end == PrinterEnd::Reset) {
                const linger abort{1, 0};
                ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                             sizeof abort);
            }
            closesocket(s);
            done_ = true;
        });
    }

    size_t read() const { return read_; }
    bool done() const { return done_; }
    void release() { released_ = true; }

  private:
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::thread reader_;
    std::atomic<size_t> read_{0};
    std::atomic<bool> done_{false};
    std::atomic<bool> released_{false};
};

// Looks at the connection as the settle phase does, for about a second or until it is broken.
NetDelivery watched(NetPort& port) {
    NetDelivery d = port.delivery();
    for (int look = 0; look < 50 && !d.broken; ++look) {
        Sleep(20);
        d = port.delivery();
    }
    return d;
}

const std::vector<uint8_t> image(262144, 0x5A);

TEST(TcpDeliveryWinsock, APrinterThatReadsPartAndResetsBreaksTheRunAndIsNotCreditedMore) {
    LoopbackPrinter printer;
    NetPort port{systemSocketFactory()};
    ASSERT_EQ(port.create(), 1);
    ASSERT_EQ(port.connect("127.0.0.1", printer.port()), 1);
    printer.serve(100000, PrinterEnd::Reset);
    ASSERT_EQ(port.send(image.data(), int32_t(image.size()), 0), 262144)
        << "the image did not fit in the socket buffers";

    const NetDelivery d = watched(port);
    EXPECT_TRUE(d.broken);
    // What the printer read and what its small buffer held, at most; without a count, nothing.
    EXPECT_LE(d.acknowledged, int32_t(printer.read() + 16384 * 2));
    EXPECT_NE(port.lastErrorText().find("the printer broke the connection"), std::string::npos)
        << port.lastErrorText();
}

// A printer that took every byte and then closed (as one that restarts to write its firmware
// may), and one that keeps the connection: neither is broken.
TEST(TcpDeliveryWinsock, APrinterThatTookEverythingIsNotBrokenWhetherItClosesOrNot) {
    for (const PrinterEnd end : {PrinterEnd::Close, PrinterEnd::StayOpen}) {
        LoopbackPrinter printer;
        NetPort port{systemSocketFactory()};
        ASSERT_EQ(port.create(), 1);
        ASSERT_EQ(port.connect("127.0.0.1", printer.port()), 1);
        printer.serve(image.size(), end);
        ASSERT_EQ(port.send(image.data(), int32_t(image.size()), 0), 262144);
        while (printer.read() < image.size()) {
            Sleep(5);
        }
        while (end == PrinterEnd::Close && !printer.done()) {
            Sleep(5);
        }
        const NetDelivery d = watched(port);
        EXPECT_FALSE(d.broken) << (end == PrinterEnd::Close ? "closed: " : "open: ")
                               << port.lastErrorText();
        if (d.counted) {
            EXPECT_EQ(d.acknowledged, 262144);
        }
        printer.release();
        port.close();
    }
}

} // namespace
