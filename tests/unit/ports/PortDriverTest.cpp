#include "ports/PortDriver.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {
PortSettings named(const std::string& name) {
    return {
        .portName = name, .baudRate = 9600, .dataBits = 8, .timeouts = {}, .readBufferSize = 64};
}

struct PortDriverTest : ::testing::Test {
    FakeDeviceFactory devices;
    FakeClock clock;
    PortDriver driver{devices, clock};
};

TEST_F(PortDriverTest, ConfigureInstallsTheVariantEvenWhenItRejects) {
    EXPECT_FALSE(driver.kind().has_value());
    EXPECT_EQ(driver.configure(named("COM3")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Com);
    EXPECT_EQ(driver.configure(named("LPT2")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Lpt);
    EXPECT_EQ(driver.configure(named("\\\\?\\usb#vid_1")), 1);
    EXPECT_EQ(driver.kind(), PortKind::Usb);
    // An empty name lands on the USB variant, which refuses it and says why; the variant stays
    // installed and opening it does nothing.
    EXPECT_EQ(driver.configure(named("")), 0);
    EXPECT_EQ(driver.kind(), PortKind::Usb);
    EXPECT_EQ(driver.lastErrorText(), "no USB printer was found (none attached of this model)");
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_TRUE(devices.usb.conversation().empty());
}

TEST_F(PortDriverTest, ReconfigureClosesTheOpenPortAndReopenFindsTheDeviceFree) {
    ASSERT_TRUE(driver.configure(named("COM1")) && driver.open(0));
    ASSERT_EQ(driver.configure(named("COM1")), 1);
    EXPECT_FALSE(devices.serial.isOpen);
    EXPECT_EQ(driver.open(0), 1);
    EXPECT_EQ(devices.serial.opens, 2);
}

// Why a port failed reaches the caller: the device layer's reason when it gave one, else the
// port's own words, kept past close until the next configure so the end of a run can tell it.
TEST_F(PortDriverTest, RefusedOpenCarriesTheReasonPastCloseUntilTheNextConfigure) {
    devices.serial.refuse = "open";
    devices.parallel.refuse = "open";
    devices.openReason = "/dev/ttyS0: permission denied; join the group dialout";
    ASSERT_EQ(driver.configure(named("COM1")), 1);
    EXPECT_EQ(driver.open(0), 0);
    driver.close();
    EXPECT_EQ(driver.lastErrorText(), devices.openReason);

    devices.openReason.clear();
    ASSERT_EQ(driver.configure(named("LPT2")), 1);
    EXPECT_EQ(driver.lastErrorText(), "");
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_EQ(driver.lastErrorText(), "LPT2: the port cannot be opened");
}

// Whatever the variant (or none): nothing reaches the device for a missing, empty or negative
// buffer; a negative length must not turn into a huge one.
TEST_F(PortDriverTest, EveryVariantRefusesBadArguments) {
    uint8_t byte = 0;
    EXPECT_EQ(driver.open(1), 0); // nothing configured yet
    for (const char* name : {"", "COM1", "LPT1", "\\\\?\\usb#1"}) {
        SCOPED_TRACE(name);
        if (*name != '\0') {
            ASSERT_TRUE(driver.configure(named(name)) && driver.open(0));
        }
        EXPECT_EQ(driver.write(nullptr, 1), 0);
        EXPECT_EQ(driver.write(&byte, 0), 0);
        EXPECT_EQ(driver.write(&byte, -5), 0);
        EXPECT_EQ(driver.read(nullptr, 1, 10), 0);
        EXPECT_EQ(driver.read(&byte, 0, 10), 0);
        EXPECT_EQ(driver.read(&byte, -5, 10), 0);
    }
    for (FakeDeviceState* device : {&devices.serial, &devices.parallel, &devices.usb}) {
        EXPECT_TRUE(device->writeSizes.empty());
        EXPECT_TRUE(device->readSizes.empty());
    }
}
} // namespace
