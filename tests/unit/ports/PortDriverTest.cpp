#include "ports/PortDriver.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {
PortSettings named(const std::string& name) {
    PortSettings s;
    s.portName = name;
    s.baudRate = 9600;
    s.dataBits = 8;
    s.readBufferSize = 64;
    return s;
}

struct PortDriverTest : ::testing::Test {
    FakeDeviceFactory devices;
    FakeClock clock;
    PortDriver driver{devices, clock};
};

TEST_F(PortDriverTest, EveryOperationIsZeroBeforeConfigure) {
    uint8_t byte = 0x41;
    EXPECT_FALSE(driver.kind().has_value());
    EXPECT_EQ(driver.open(1), 0);
    EXPECT_EQ(driver.write(&byte, 1), 0);
    EXPECT_EQ(driver.read(&byte, 1, 2000), 0);
    driver.close();
    EXPECT_TRUE(devices.serial.conversation().empty());
    EXPECT_TRUE(devices.usb.conversation().empty());
    EXPECT_TRUE(clock.sleeps().empty());
}

TEST_F(PortDriverTest, ConfigureInstallsTheVariantEvenWhenItRejects) {
    EXPECT_EQ(driver.configure(named("COM3")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Serial);
    EXPECT_EQ(driver.configure(named("LPT2")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Parallel);
    EXPECT_EQ(driver.configure(named("\\\\?\\usb#vid_1")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Usb);
    // An empty name lands on the USB variant, which refuses it; the variant stays installed and
    // opening it does nothing.
    EXPECT_EQ(driver.configure(named("")), 0);
    EXPECT_EQ(driver.kind(), PortKind::Usb);
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_TRUE(devices.usb.conversation().empty());
}

TEST_F(PortDriverTest, ReconfigureClosesTheOpenPortAndReopenFindsTheDeviceFree) {
    ASSERT_EQ(driver.configure(named("COM1")), 1);
    ASSERT_EQ(driver.open(0), 1);
    EXPECT_TRUE(devices.serial.isOpen);

    ASSERT_EQ(driver.configure(named("COM1")), 1);
    EXPECT_FALSE(devices.serial.isOpen);
    EXPECT_EQ(driver.open(0), 1);
    EXPECT_EQ(devices.serial.opens, 2);
}

} // namespace
