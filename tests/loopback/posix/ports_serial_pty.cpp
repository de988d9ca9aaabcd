// The POSIX serial backend on a real pseudo-terminal pair: the port opens the slave side by a
// COM name redirected through the environment, the test plays the printer on the master side.
// Replies read through the reader thread are exercised by the engine's printer-sim test.
#include "ports/PortDriver.h"
#include "support/EngineFiles.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class SerialPtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        ::setenv("MIRELITH_COM7", name, 1);
    }
    void TearDown() override {
        ::unsetenv("MIRELITH_COM7");
        ::close(master_);
        ::close(slave_);
    }

    // What the printer reads off the line: up to n bytes, until 5 s pass without any.
    std::vector<uint8_t> readLine(size_t n) const {
        std::vector<uint8_t> out(n);
        size_t got = 0;
        pollfd p{master_, POLLIN, 0};
        while (got<n&& ::poll(&p, 1, 5000)> 0) {
            const ssize_t r = ::read(master_, out.data() + got, n - got);
            if (r <= 0) {
                break;
            }
            got += static_cast<size_t>(r);
        }
        out.resize(got);
        return out;
    }

    int master_ = -1;
    int slave_ = -1;
    PortSettings settings{.portName = "COM7",
                          .baudRate = 19200,
                          .dataBits = 8,
                          .timeouts = {},
                          .readBufferSize = 8192};
};

// The terminal gets the speed and the raw modes (a pseudo-terminal forces 8 bits without
// parity); a second opener is refused until the first closes; a write far larger than the
// terminal buffer waits for the line rather than coming back short.
TEST_F(SerialPtyTest, ARawLineOpenedOnceThatTakesAWholeImage) {
    PortDriver first{systemDeviceFactory(), systemClock()};
    PortDriver second{systemDeviceFactory(), systemClock()};
    ASSERT_EQ(first.configure(settings), 1);
    ASSERT_EQ(second.configure(settings), 1);
    ASSERT_EQ(first.open(0), 1);
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(second.open(0), 0);

    const std::vector<uint8_t> image = enginefakes::patternBytes(200000);
    std::vector<uint8_t> seen;
    std::thread printer([&] { seen = readLine(image.size()); });
    EXPECT_EQ(first.write(image.data(), int32_t(image.size())), int32_t(image.size()));
    printer.join();
    EXPECT_EQ(seen, image);
    first.close();
    EXPECT_EQ(second.open(0), 1);
}

TEST_F(SerialPtyTest, VanishedPeerGivesAShortCountAndCloseStillJoins) {
    FakeClock clock; // the 20 s of retries pass at once
    PortDriver port(systemDeviceFactory(), clock);
    ASSERT_EQ(port.configure(settings), 1);
    ASSERT_EQ(port.open(0), 1); // the reader thread sees the hang-up too
    ::close(master_);
    master_ = -1;
    const std::vector<uint8_t> data(4096, 0x42);
    EXPECT_LT(port.write(data.data(), 4096), 4096);
    uint8_t byte = 0;
    EXPECT_EQ(port.read(&byte, 1, 0), 0);
    port.close();
}

} // namespace
