#include "ports/PortDriver.h"
#include "support/PortFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace {
using Calls = std::vector<std::string>;

PortSettings parallelSettings() {
    return {.portName = "LPT1", .timeouts = {10, 10, 10, 0, 0}, .readBufferSize = 8192};
}

// GetVersion values: the NT family has bit 31 clear and a build number in the high word; the
// 95/98/Me family (and Win32s with no build) get longer parallel read timeouts.
TEST(ParallelPortTest, ReadTimeoutsFollowTheWindowsFamily) {
    const CommTimeouts nt{10, 10, 10, 0, 0};
    const CommTimeouts nineX{100, 100, 100, 0, 0};
    const std::pair<uint32_t, CommTimeouts> cases[] = {
        {0x47BB0A06u, nt},    // Vista and later builds
        {0x00010004u, nt},    // any NT value with a non-zero build
        {0x00000004u, nineX}, // NT bit pattern with no build number
        {0xC0000A04u, nineX}, // Windows 98
        {0x80008003u, nineX}, // Win32s: bit 15 alone does not count as a build
    };
    for (const auto& [version, expected] : cases) {
        SCOPED_TRACE(version);
        FakeDeviceFactory devices;
        FakeClock clock;
        PortDriver driver(devices, clock, version);
        ASSERT_TRUE(driver.configure(parallelSettings()) && driver.open(0));
        EXPECT_EQ(devices.parallel.conversation(), (Calls{"open LPT1", "setTimeouts", "purge"}));
        EXPECT_EQ(devices.parallel.timeouts, expected);
    }
}

TEST(ParallelPortTest, OpensOnceWritesWhatTheDeviceTookAndReadsNothingOnFailure) {
    FakeDeviceFactory devices;
    ParallelPort port(devices, false);
    PortSettings other = parallelSettings();
    other.portName = "COM1";
    EXPECT_EQ(port.configure(other), 0);
    EXPECT_EQ(port.open(0), 0); // nothing configured: nothing to open
    ASSERT_TRUE(port.configure(parallelSettings()) && port.open(0));
    EXPECT_EQ(port.open(0), 1);
    EXPECT_EQ(devices.parallel.opens, 1);

    devices.parallel.writeSteps = {{false, 7}};
    const std::vector<uint8_t> data(10, 0x55);
    EXPECT_EQ(port.write(data.data(), 10), 7); // short, whatever the outcome
    EXPECT_EQ(port.lastErrorText(), "LPT1: the printer took no data in time"); // device silent
    devices.parallel.writeSteps = {{true, 10, 5}};
    EXPECT_EQ(port.write(data.data(), 10), 10); // never more than it was given
    uint8_t buffer[4] = {};
    devices.parallel.feed({1, 2});
    EXPECT_EQ(port.read(buffer, 4, 5000), 2);
    devices.parallel.feed({3});
    devices.parallel.refuse = "read";
    EXPECT_EQ(port.read(buffer, 4, 5000), 0);

    // Closed, the port lets the device go; a refused open leaves it closed.
    port.close();
    EXPECT_EQ(devices.parallel.conversation().back(), "close");
    devices.parallel.refuse = "open";
    EXPECT_EQ(port.open(0), 0);
    EXPECT_EQ(port.write(data.data(), 1), 0);
}

// A port destroyed while open cancels what the device is doing and lets it go.
TEST(FileDevicePorts, DestroyedWhileOpenCancelsAndClosesTheDevice) {
    FakeDeviceFactory devices;
    PortSettings settings = parallelSettings();
    {
        ParallelPort parallel(devices, false);
        ASSERT_TRUE(parallel.configure(settings) && parallel.open(0));
        settings.portName = "usb-path";
        UsbPort usb(devices);
        ASSERT_TRUE(usb.configure(settings) && usb.open(0));
    }
    EXPECT_EQ(devices.parallel.conversation(),
              (Calls{"open LPT1", "setTimeouts", "purge", "cancelIo", "close"}));
    EXPECT_EQ(devices.usb.conversation(), (Calls{"open usb-path", "cancelIo", "close"}));
}

struct UsbPortTest : ::testing::Test {
    UsbPortTest() { EXPECT_EQ(port.configure(settings), 1); }
    FakeDeviceFactory devices;
    UsbPort port{devices};
    PortSettings settings{.portName = "\\\\?\\usb#vid_04b8&pid_0e28#5&1#{28d78fad-5a12-11d1-ae5b}",
                          .timeouts = {},
                          .readBufferSize = 150};
};

TEST_F(UsbPortTest, OpenAppliesNothingStartsNoReaderAndReadsOnceIgnoringTheWait) {
    devices.usb.refuse = "open";
    EXPECT_EQ(port.open(0), 0);
    EXPECT_EQ(port.lastErrorText(), settings.portName + ": the printer cannot be opened");
    devices.usb.refuse.clear();
    ASSERT_EQ(port.open(0), 1);
    EXPECT_EQ(port.lastErrorText(), ""); // the earlier refusal is over
    EXPECT_EQ(port.open(0), 1);          // already open: the device is not asked again
    EXPECT_FALSE(port.readerRunning());
    devices.usb.feed({4, 5, 6});
    uint8_t buffer[8] = {};
    EXPECT_EQ(port.read(buffer, 8, 60000), 3);
    EXPECT_EQ(devices.usb.conversation(),
              (Calls{"open " + settings.portName, "open " + settings.portName, "read"}));
}

TEST_F(UsbPortTest, WriteGoesOutInPiecesOfAtMost4096AndCompletesPartlyTakenOnes) {
    ASSERT_EQ(port.open(0), 1);
    std::vector<uint8_t> data(10000);
    std::iota(data.begin(), data.end(), uint8_t{0});
    devices.usb.writeSteps = {{true, 4096}, {true, 1000}, {}};
    EXPECT_EQ(port.write(data.data(), 10000), 10000);
    EXPECT_EQ(devices.usb.writeSizes, (std::vector<uint32_t>{4096, 4096, 4096, 808}));
    EXPECT_EQ(devices.usb.written, data);
    // A failed piece fails the whole write.
    devices.usb.writeSizes.clear();
    devices.usb.writeSteps = {{true, 4096}, {false, 0}};
    EXPECT_EQ(port.write(data.data(), 5000), 0);
    EXPECT_EQ(devices.usb.writeSizes.size(), 2u);
    // A driver that claims success but takes nothing must not spin for ever.
    devices.usb.writeSteps = {{true, 0}};
    EXPECT_EQ(port.write(data.data(), 10), 0);
    EXPECT_EQ(port.lastErrorText(), settings.portName + ": the printer took no data");
}

TEST_F(UsbPortTest, RequestedReaderFillsTheBufferUpToItsSizeAndCloseJoins) {
    ASSERT_EQ(port.open(1), 1);
    ASSERT_TRUE(port.readerRunning());
    devices.usb.feed(std::vector<uint8_t>(400, 0xAA));
    // With the buffer full the reader stops asking the device; the rest stays queued there.
    for (int i = 0; i < 1000 && port.bufferedCount() < 150; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // bounded wait, no timing
    }
    ASSERT_EQ(port.bufferedCount(), 150u);
    EXPECT_EQ(devices.usb.queued(), 250u);
    EXPECT_THAT(devices.usb.readSizes, ::testing::Each(::testing::Le(100u)));
    uint8_t direct[10] = {};
    EXPECT_EQ(port.read(direct, 10, 0), 10); // read() goes to the device, not the buffer
    EXPECT_EQ(port.bufferedCount(), 150u);
    port.close();
    EXPECT_FALSE(port.readerRunning());
    EXPECT_EQ(devices.usb.conversation(),
              (Calls{"open " + settings.portName, "read", "cancelIo", "close"}));
}
} // namespace
