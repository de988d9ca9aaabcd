// On Linux a device path names its port type, coming in or typed into the dialog's port list; a
// typed path of another type than the checked one, like any other typing, names no port.
#include "support/UiFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(DevicePath, OpensOnItsTypeAndIsTakenWhenTypedForTheCheckedType) {
    const auto ok = DialogOutcome::Accepted;
    const struct {
        const char* incoming;
        const char* typed;
        DialogOutcome outcome;
        PortConfigValues saved;
    } rows[] = {
        // The serial lists are still read.
        {"/dev/ttyACM0", "/dev/ttyUSB0", ok, {"/dev/ttyUSB0", 9600, 8, 0, 0, 0, 42}},
        {"/dev/lp0", "/dev/lp1", ok, {"/dev/lp1", 7, 6, 2, 4, 1, 42}},
        {"/dev/usb/lp0", "/dev/usb/lp1", ok, {"/dev/usb/lp1", 7, 6, 2, 4, 1, 42}},
        {"/dev/ttyACM0", "/dev/lp0", DialogOutcome::Cancelled,
         FakeConfigDialog::incoming("/dev/ttyACM0")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        FakeConfigDialog dialog;
        dialog.usb.attached = {"/dev/usb/lp0"};
        dialog.open(row.incoming);
        dialog.view.enter(IDC_PORT_COMBO, row.typed);
        EXPECT_EQ(dialog.presenter.onOk(), row.outcome);
        EXPECT_EQ(dialog.presenter.values(), row.saved);
    }
}

} // namespace
