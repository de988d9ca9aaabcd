// Why a port failed reaches the caller: the device layer's reason when it gave one, else the
// port's own words, kept until the next configure so the end of a run can still tell it.
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "ports/SerialLineRules.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {

// The fake devices, with a reason for refused opens as the real factories give one.
class ExplainingFactory final : public DeviceFactory {
  public:
    FakeDeviceFactory fakes;
    std::string reason;
    std::unique_ptr<SerialDevice> openSerial(const std::string& name) override {
        return fakes.openSerial(name);
    }
    std::unique_ptr<FileDevice> openParallel(const std::string& name) override {
        return fakes.openParallel(name);
    }
    std::unique_ptr<FileDevice> openUsb(const std::string& path) override {
        return fakes.openUsb(path);
    }
    std::string lastOpenError() const override { return reason; }
};

struct PortReasonTest : ::testing::Test {
    PortSettings named(const std::string& name, int32_t handshake = kHandshakeDtrDsr) {
        PortSettings s;
        s.portName = name;
        s.baudRate = 9600;
        s.dataBits = 8;
        s.handshake = handshake;
        s.readBufferSize = 64;
        return s;
    }
    ExplainingFactory devices;
    FakeClock clock;
    PortDriver driver{devices, clock};
};

TEST_F(PortReasonTest, RefusedOpenCarriesTheDeviceReasonPastCloseUntilTheNextConfigure) {
    devices.fakes.serial.openOk = false;
    devices.fakes.parallel.openOk = false;
    devices.reason = "/dev/ttyS0: permission denied; join the group dialout";
    ASSERT_EQ(driver.configure(named("COM1")), 1);
    EXPECT_EQ(driver.open(0), 0);
    driver.close();
    EXPECT_EQ(driver.lastErrorText(), devices.reason);

    // Without a reason from the system the port still names itself.
    devices.reason.clear();
    ASSERT_EQ(driver.configure(named("LPT2")), 1);
    EXPECT_EQ(driver.lastErrorText(), "");
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_EQ(driver.lastErrorText(), "LPT2: the port cannot be opened");
}

TEST_F(PortReasonTest, SerialOpenNamesTheLineThePrinterDoesNotAssert) {
    devices.fakes.serial.lines = {false, false};
    ASSERT_EQ(driver.configure(named("COM3")), 1);
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_EQ(driver.lastErrorText(),
              "COM3: the printer does not assert DSR: is it switched on and connected?");
    ASSERT_EQ(driver.configure(named("COM3", kHandshakeXonXoff)), 1);
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_NE(driver.lastErrorText().find("does not assert CTS"), std::string::npos);

    ASSERT_EQ(driver.configure(named("COM3", 2)), 1);
    EXPECT_EQ(driver.open(0), 0);
    EXPECT_EQ(driver.lastErrorText(), "COM3: handshake 2 is not supported");
}

TEST_F(PortReasonTest, ShortWritesSayWhy) {
    const std::vector<uint8_t> data(100, 0x55);
    devices.fakes.usb.defaultWrite = {false, 0};
    ASSERT_EQ(driver.configure(named("\\\\?\\usb#vid_f0a0&pid_0025#1")), 1);
    ASSERT_EQ(driver.open(0), 1);
    EXPECT_EQ(driver.write(data.data(), 100), 0);
    EXPECT_EQ(driver.lastErrorText(), "\\\\?\\usb#vid_f0a0&pid_0025#1: the printer took no data");

    // A serial printer that takes nothing for the whole write limit.
    devices.fakes.serial.defaultWrite = {true, 0};
    ASSERT_EQ(driver.configure(named("COM1")), 1);
    ASSERT_EQ(driver.open(0), 1);
    EXPECT_EQ(driver.write(data.data(), 100), 0);
    EXPECT_EQ(driver.lastErrorText(), "COM1: the printer took no data for 20 s");
}

TEST(NetPortReason, TheReasonOutlivesTheDetachedSocket) {
    FakeSocketFactory sockets;
    NetPort port(sockets);
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.connect("192.0.2.7", 70000), 0);
    EXPECT_EQ(port.lastErrorText(), "192.0.2.7:70000: not a TCP port number (1 to 65535)");

    sockets.state.connectOk = false;
    EXPECT_EQ(port.connect("192.0.2.7", 9100), 0);
    port.detach();
    // The fake socket gives no words of its own: the port says what failed.
    EXPECT_EQ(port.lastErrorText(), "192.0.2.7:9100: the connection failed");
    ASSERT_EQ(port.create(), 1);
    EXPECT_EQ(port.lastErrorText(), "");
}

} // namespace
