// The POSIX serial backend on a real pseudo-terminal pair: the port opens the slave side by a
// COM name redirected through the environment, the test plays the printer on the master side.
#include "ports/PortDriver.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
class PtyPair {
  public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            slaveName_ = name;
        }
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slaveName() const { return slaveName_; }

    // Reads exactly n bytes from the master side (bounded: gives up after 5 s of silence).
    std::vector<uint8_t> readMaster(size_t n) const {
        std::vector<uint8_t> out;
        uint8_t chunk[4096];
        while (out.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                break;
            }
            const ssize_t got = ::read(master_, chunk, std::min(sizeof chunk, n - out.size()));
            if (got <= 0) {
                break;
            }
            out.insert(out.end(), chunk, chunk + got);
        }
        return out;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

class SerialPtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slaveName().empty());
        ::setenv("MIRELITH_COM7", pty.slaveName().c_str(), 1);
        settings.portName = "COM7";
        settings.baudRate = 19200;
        settings.dataBits = 8;
        settings.handshake = 0;
        settings.readBufferSize = 8192;
    }
    void TearDown() override { ::unsetenv("MIRELITH_COM7"); }

    PtyPair pty;
    PortSettings settings;
};

TEST_F(SerialPtyTest, SettingsAppliedAndBytesFlowBothWays) {
    PortDriver port;
    ASSERT_EQ(port.configure(settings), 1);
    ASSERT_EQ(port.open(0), 1);

    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    const uint8_t query[3] = {0x1D, 0x49, 0x41};
    ASSERT_EQ(port.write(query, 3), 3);
    EXPECT_EQ(pty.readMaster(3), std::vector<uint8_t>(query, query + 3));

    const uint8_t reply[6] = {'V', '1', '.', '2', '\r', '\n'};
    ASSERT_EQ(::write(pty.master(), reply, sizeof reply), 6);
    // The reply reaches the buffer through the reader thread during the one wait.
    uint8_t got[20] = {};
    EXPECT_EQ(port.read(got, 20, 1000), 6);
    EXPECT_EQ(std::vector<uint8_t>(got, got + 6), std::vector<uint8_t>(reply, reply + 6));
    port.close();
}

TEST_F(SerialPtyTest, SecondOpenerIsRefusedUntilTheFirstCloses) {
    PortDriver first;
    PortDriver second;
    ASSERT_EQ(first.configure(settings), 1);
    ASSERT_EQ(second.configure(settings), 1);
    ASSERT_EQ(first.open(0), 1);
    EXPECT_EQ(second.open(0), 0);
    first.close();
    EXPECT_EQ(second.open(0), 1);
}

TEST_F(SerialPtyTest, LargeWriteIsPacedByTheLine) {
    // Much more than the pseudo-terminal buffers: the write waits for room as the printer reads.
    std::vector<uint8_t> image(200000);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i % 251);
    }
    PortDriver port;
    ASSERT_EQ(port.configure(settings), 1);
    ASSERT_EQ(port.open(0), 1);
    std::vector<uint8_t> seen;
    std::thread printer([&] { seen = pty.readMaster(image.size()); });
    EXPECT_EQ(port.write(image.data(), static_cast<int32_t>(image.size())),
              static_cast<int32_t>(image.size()));
    printer.join();
    EXPECT_EQ(seen, image);
}

TEST_F(SerialPtyTest, VanishedPeerGivesAShortCountAndCloseStillJoins) {
    FakeClock clock; // the 20 s of retries pass at once
    PortDriver port(systemDeviceFactory(), clock);
    ASSERT_EQ(port.configure(settings), 1);
    ASSERT_EQ(port.open(0), 1);
    pty.closeMaster();
    const std::vector<uint8_t> data(4096, 0x42);
    EXPECT_LT(port.write(data.data(), 4096), 4096);
    EXPECT_GE(clock.tickCount(), 20000u);
    uint8_t byte = 0;
    EXPECT_EQ(port.read(&byte, 1, 0), 0);
    port.close();
}

// Malformed names are the name mapping's business (unit tests); here names without a device.
TEST(SerialNamesLoopback, MissingPortFailsToOpen) {
    ::unsetenv("MIRELITH_COM250");
    PortSettings s;
    s.portName = "COM250";
    s.baudRate = 9600;
    s.dataBits = 8;
    FakeClock clock;
    PortDriver port(systemDeviceFactory(), clock);
    ASSERT_EQ(port.configure(s), 1);
    EXPECT_EQ(port.open(0), 0);
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>{200});
    // A lower-case name is taken for a USB path, which names no device node (and no file).
    s.portName = "com1";
    EXPECT_EQ(port.configure(s), 1);
    EXPECT_EQ(port.open(0), 0);
}
} // namespace
