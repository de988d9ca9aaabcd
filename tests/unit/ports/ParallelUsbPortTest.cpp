#include "ports/PortDriver.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {
// Waits for a condition another thread brings about (a bounded wait, not a timing check).
template <typename Pred> bool eventually(Pred pred) {
    for (int i = 0; i < 1000; ++i) {
        if (pred()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pred();
}

using Calls = std::vector<std::string>;
constexpr uint32_t kWindows98 = 0xC0000A04u;
constexpr uint32_t kWindowsXp = 0x0A280105u;

PortSettings parallelSettings() {
    PortSettings s;
    s.portName = "LPT1";
    s.timeouts = {10, 10, 10, 0, 0};
    s.readBufferSize = 8192;
    return s;
}

TEST(ParallelPortTest, ConfigureNeedsAnLptName) {
    FakeDeviceFactory devices;
    ParallelPort port(devices, false);
    PortSettings s = parallelSettings();
    EXPECT_EQ(port.configure(s), 1);
    s.portName = "";
    EXPECT_EQ(port.configure(s), 0);
    s.portName = "COM1";
    EXPECT_EQ(port.configure(s), 0);
}

TEST(ParallelPortTest, ReadTimeoutsDependOnTheWindowsFamily) {
    for (const auto& [version, expected] :
         {std::pair{kWindowsXp, CommTimeouts{10, 10, 10, 0, 0}},
          std::pair{kWindows98, CommTimeouts{100, 100, 100, 0, 0}}}) {
        FakeDeviceFactory devices;
        FakeClock clock;
        PortDriver driver(devices, clock, version);
        ASSERT_EQ(driver.configure(parallelSettings()), 1);
        ASSERT_EQ(driver.open(0), 1);
        EXPECT_EQ(devices.parallel.conversation(), (Calls{"open LPT1", "setTimeouts", "purge"}));
        ASSERT_EQ(devices.parallel.timeouts.size(), 1u);
        EXPECT_EQ(devices.parallel.timeouts[0], expected);
        const uint8_t data[3] = {1, 2, 3};
        EXPECT_EQ(driver.write(data, 3), 3);
        EXPECT_EQ(devices.parallel.written, std::vector<uint8_t>(data, data + 3));
    }
}

TEST(ParallelPortTest, OpenReportsWhetherThePortOpenedAndNeverOpensItTwice) {
    FakeDeviceFactory devices;
    ParallelPort port(devices, false);
    ASSERT_EQ(port.configure(parallelSettings()), 1);
    ASSERT_EQ(port.open(0), 1);
    EXPECT_EQ(port.open(0), 1);
    EXPECT_EQ(devices.parallel.opens, 1);
    port.close();
    EXPECT_EQ(devices.parallel.conversation().back(), "close");
    EXPECT_EQ(port.open(0), 1);
    EXPECT_EQ(devices.parallel.opens, 2);

    // A port that cannot be opened says so, and stays closed.
    port.close();
    devices.parallel.openOk = false;
    EXPECT_EQ(port.open(0), 0);
    const uint8_t byte = 1;
    EXPECT_EQ(port.write(&byte, 1), 0);
}

TEST(ParallelPortTest, WriteReportsTheDeviceCountAndReadIsZeroOnFailure) {
    FakeDeviceFactory devices;
    ParallelPort port(devices, false);
    ASSERT_EQ(port.configure(parallelSettings()), 1);
    ASSERT_EQ(port.open(0), 1);
    devices.parallel.writeSteps = {{false, 7}};
    const std::vector<uint8_t> data(10, 0x55);
    EXPECT_EQ(port.write(data.data(), 10), 7); // short, whatever the outcome

    uint8_t buffer[4] = {};
    devices.parallel.feed({1, 2});
    EXPECT_EQ(port.read(buffer, 4, 5000), 2);
    devices.parallel.feed({3});
    devices.parallel.readOk = {false};
    EXPECT_EQ(port.read(buffer, 4, 5000), 0);
    EXPECT_EQ(port.read(buffer, 0, 5000), 0);
}

class UsbPortTest : public ::testing::Test {
  protected:
    UsbPortTest() {
        settings.portName = "\\\\?\\usb#vid_04b8&pid_0e28#5&1#{28d78fad-5a12-11d1-ae5b}";
        settings.timeouts = {10, 10, 10, 0, 0};
        settings.readBufferSize = 150;
        EXPECT_EQ(port.configure(settings), 1);
    }
    FakeDeviceFactory devices;
    UsbPort port{devices};
    PortSettings settings;
};

TEST_F(UsbPortTest, OpenAppliesNothingAndStartsNoReaderUnlessAsked) {
    ASSERT_EQ(port.open(0), 1);
    EXPECT_EQ(devices.usb.conversation(), Calls{"open " + settings.portName});
    EXPECT_FALSE(port.readerRunning());
    EXPECT_EQ(port.open(0), 1);
    EXPECT_EQ(devices.usb.opens, 1);
}

TEST_F(UsbPortTest, WriteGoesOutInPiecesOfAtMost4096) {
    ASSERT_EQ(port.open(0), 1);
    std::vector<uint8_t> data(10000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_EQ(port.write(data.data(), 10000), 10000);
    EXPECT_EQ(devices.usb.writeSizes, (std::vector<uint32_t>{4096, 4096, 1808}));
    EXPECT_EQ(devices.usb.written, data);

    devices.usb.writeSizes.clear();
    EXPECT_EQ(port.write(data.data(), 4096), 4096);
    EXPECT_EQ(devices.usb.writeSizes, std::vector<uint32_t>{4096});
}

TEST_F(UsbPortTest, PartlyTakenPieceIsCompletedAFailedOneFailsTheWrite) {
    ASSERT_EQ(port.open(0), 1);
    devices.usb.writeSteps = {{true, 1000}};
    std::vector<uint8_t> data(5000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(port.write(data.data(), 5000), 5000);
    EXPECT_EQ(devices.usb.writeSizes, (std::vector<uint32_t>{4096, 4000}));
    EXPECT_EQ(devices.usb.written, data);

    // A driver that claims success but takes nothing must not spin for ever.
    devices.usb.defaultWrite = {true, 0};
    EXPECT_EQ(port.write(data.data(), 10), 0);
    // A failed piece fails the whole write.
    devices.usb.writeSizes.clear();
    devices.usb.writeSteps = {{true, 4096}, {false, 0}};
    EXPECT_EQ(port.write(data.data(), 5000), 0);
    EXPECT_EQ(devices.usb.writeSizes.size(), 2u);
}

TEST_F(UsbPortTest, ReadIsOneDeviceReadIgnoringTheWait) {
    ASSERT_EQ(port.open(0), 1);
    devices.usb.feed({4, 5, 6});
    uint8_t buffer[8] = {};
    EXPECT_EQ(port.read(buffer, 8, 60000), 3);
    EXPECT_EQ(port.read(buffer, 0, 60000), 0);
    EXPECT_EQ(devices.usb.readSizes, std::vector<uint32_t>{8});
}

TEST_F(UsbPortTest, RequestedReaderFillsTheBufferUpToItsSizeAndCloseJoins) {
    ASSERT_EQ(port.open(1), 1);
    ASSERT_TRUE(port.readerRunning());
    devices.usb.feed(std::vector<uint8_t>(400, 0xAA));
    // With the buffer full the reader stops asking the device; the rest stays queued there.
    ASSERT_TRUE(eventually([&] { return port.bufferedCount() == 150; }));
    EXPECT_EQ(devices.usb.queued(), 250u);
    for (uint32_t size : devices.usb.readSizes) {
        EXPECT_LE(size, 100u);
    }
    uint8_t direct[10] = {};
    EXPECT_EQ(port.read(direct, 10, 0), 10); // read() goes to the device, not the buffer
    EXPECT_EQ(port.bufferedCount(), 150u);
    port.close();
    EXPECT_FALSE(port.readerRunning());
    EXPECT_FALSE(devices.usb.isOpen);
    EXPECT_EQ(devices.usb.conversation(),
              (Calls{"open " + settings.portName, "read", "cancelIo", "close"}));
}
} // namespace
