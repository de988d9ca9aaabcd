// On Linux a device path typed into the port list of the configuration dialog is a port of the
// type whose button is checked; any other typing still names no port.
#include "res/resource.h"
#include "support/UiFakes.h"
#include "ui/PortConfigPresenter.h"

#include <gtest/gtest.h>

namespace {

class TypingView final : public FakePortConfigView {
  public:
    std::string typed;
    std::string listEditText(int32_t id) override { return id == IDC_PORT_COMBO ? typed : ""; }
};

struct TypedDevicePath : ::testing::Test {
    DialogOutcome typeAndAccept(const std::string& portName, const std::string& text) {
        dialog.modelCode = 1112;
        PortConfigValues in;
        in.portName = portName;
        dialog.setValues(in);
        dialog.initialize();
        view.typeIntoPortCombo();
        view.typed = text;
        view.tcpText = "9100";
        return dialog.onOk();
    }
    TypingView view;
    ScriptedUsbSource usb;
    PortConfigPresenter dialog{view, usb};
};

TEST_F(TypedDevicePath, AcceptedForTheCheckedTypeWithItsSettings) {
    EXPECT_EQ(typeAndAccept("COM1", "/dev/ttyUSB0"), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "/dev/ttyUSB0");
    EXPECT_EQ(dialog.baudRate, 9600); // the serial lists are still read

    EXPECT_EQ(typeAndAccept("LPT1", "/dev/lp1"), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "/dev/lp1");
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(TypedDevicePath, OtherTypingOrAnotherTypesPathIsRefused) {
    EXPECT_EQ(typeAndAccept("COM1", "/dev/lp0"), DialogOutcome::Cancelled);
    EXPECT_EQ(typeAndAccept("COM1", "COM3"), DialogOutcome::Cancelled);
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(dialog.portName, "COM1");
}

TEST(PortTypeIndex, DevicePathsOpenOnTheirOwnType) {
    EXPECT_EQ(portTypeIndexFor("/dev/ttyACM0"), 0);
    EXPECT_EQ(portTypeIndexFor("/dev/lp0"), 1);
    EXPECT_EQ(portTypeIndexFor("/dev/usb/lp0"), 2);
}

} // namespace
