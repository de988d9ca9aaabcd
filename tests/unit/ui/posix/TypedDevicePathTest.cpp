// On Linux a device path typed into the port list of the configuration dialog is a port of the
// type whose button is checked; any other typing still names no port.
#include "support/UiFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(TypedDevicePath, IsAPortOnlyOfTheCheckedType) {
    const auto ok = DialogOutcome::Accepted;
    const struct {
        const char* checked;
        const char* typed;
        DialogOutcome outcome;
        PortConfigValues saved;
    } rows[] = {
        // The serial lists are still read.
        {"COM1", "/dev/ttyUSB0", ok, {"/dev/ttyUSB0", 9600, 8, 0, 0, 0, 42}},
        {"LPT1", "/dev/lp1", ok, {"/dev/lp1", 7, 6, 2, 4, 1, 42}},
        {"COM1", "/dev/lp0", DialogOutcome::Cancelled, FakeConfigDialog::incoming("COM1")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        FakeConfigDialog dialog;
        dialog.open(row.checked);
        dialog.view.enter(IDC_PORT_COMBO, row.typed);
        EXPECT_EQ(dialog.presenter.onOk(), row.outcome);
        EXPECT_EQ(dialog.presenter.values(), row.saved);
    }
}

TEST(PortTypeIndex, DevicePathsOpenOnTheirOwnType) {
    EXPECT_EQ(portTypeIndexFor("/dev/ttyACM0"), 0);
    EXPECT_EQ(portTypeIndexFor("/dev/lp0"), 1);
    EXPECT_EQ(portTypeIndexFor("/dev/usb/lp0"), 2);
}

} // namespace
