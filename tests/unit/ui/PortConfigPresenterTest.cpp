#include "support/UiFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using ::testing::ElementsAre;

namespace {

// What each port type shows when it is filled afresh (FakePortConfigView::shown).
constexpr const char* kCom = "0 Port COM1(20) Baudrate 9600(7) 8(1) NONE(3) 1(1) DTR/DSR(2)";
constexpr const char* kLpt = "1 Port LPT1(3) Baudrate -(0) -(0) -(0) -(0) -(0)";
constexpr const char* kEthernet = "3 IP address PORT 0 -(0) -(0) -(0) -(0)";

// The incoming name decides only the port type, never the selections: "COM" or "\\.\COM" serial,
// "LPT" parallel, a leading backslash USB (PortConfigUsb), anything else an IP address. The model
// decides which types can be clicked; a checked type stays checked even when it cannot be.
TEST(PortConfigOpening, TypeFromTheNameButtonsFromTheModel) {
    const struct {
        const char* portName;
        int32_t model;
        const char* shown;
        const char* clickable;
    } rows[] = {
        {"COM3", 1112, kCom, "1111"},    {"\\\\.\\COM12", 1033, kCom, "1110"},
        {"LPT2", 350, kLpt, "1000"},     {"192.168.0.10", 1502, kEthernet, "1110"},
        {"", 691, kEthernet, "1010"},    {"com1", 1112, kEthernet, "1111"},
        {"CO", 1112, kEthernet, "1111"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        FakeConfigDialog dialog;
        dialog.open(row.portName, row.model);
        EXPECT_EQ(dialog.view.shown(), row.shown);
        EXPECT_EQ(dialog.view.clickable(), row.clickable);
    }
}

TEST(PortConfigUsb, SearchesNumberOnWithinTheDialogAndOkSavesTheDevicePath) {
    FakeConfigDialog dialog;
    dialog.open("\\\\?\\usb#old-device");
    // No printer of the model: a message, and the dialog falls back to COM, also on a click.
    dialog.presenter.onUsbSelected();
    EXPECT_EQ(dialog.view.messages, "Not Connect USB Printer\nNot Connect USB Printer\n");
    EXPECT_EQ(dialog.view.shown(), kCom);

    dialog.usb.attached = {"\\\\?\\usb#first", "\\\\?\\usb#second"};
    dialog.presenter.onUsbSelected();
    EXPECT_EQ(dialog.view.shown(), "2 Port USB001:(2) Baudrate -(0) -(0) -(0) -(0) -(0)");
    dialog.presenter.onComSelected();
    dialog.presenter.onUsbSelected();
    EXPECT_THAT(dialog.view.lists[IDC_PORT_COMBO].entries, ElementsAre("USB003:", "USB004:"));
    EXPECT_THAT(dialog.usb.searchedModels, ElementsAre(1112, 1112, 1112, 1112));

    dialog.view.enter(IDC_PORT_COMBO, "USB004:");
    EXPECT_EQ(dialog.presenter.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.presenter.values(), FakeConfigDialog::incoming("\\\\?\\usb#second"));
}

// OK writes back what the checked type shows; whatever it does not show keeps its incoming
// value (FakeConfigDialog::incoming). A port name typed in cancels with a message; a TCP port
// field without a number prompts on each of its two reads and keeps the dialog open.
TEST(PortConfigOk, WritesBackWhatTheCheckedTypeShows) {
    const auto ok = DialogOutcome::Accepted, cancelled = DialogOutcome::Cancelled,
               stayOpen = DialogOutcome::StayOpen;
    const int32_t port = IDC_PORT_COMBO, baud = IDC_BAUD_COMBO, parity = IDC_PARITY_COMBO,
                  handshake = IDC_HANDSHAKE_COMBO, tcp = IDC_TCP_PORT;
    const struct {
        const char* portName;
        std::vector<std::pair<int32_t, const char*>> entered;
        DialogOutcome outcome;
        PortConfigValues saved;
    } rows[] = {
        {"COM3", {}, ok, {"COM1", 9600, 8, 0, 0, 0, 42}},
        {"COM3",
         {{port, "\\\\.\\COM10"}, {baud, "115200"}, {parity, "EVEN"}, {handshake, "XON/XOFF"}},
         ok,
         {"\\\\.\\COM10", 115200, 8, 0, 2, 1, 42}},
        // Typed in, so no entry is read.
        {"COM3", {{baud, "1"}, {parity, "?"}, {handshake, "?"}}, ok, {"COM1", 7, 8, 0, 4, -1, 42}},
        {"LPT1", {{port, "LPT3"}}, ok, {"LPT3", 7, 6, 2, 4, 1, 42}},
        {"10.0.0.1", {{tcp, "9100"}}, ok, {"10.1.2.3", 9100, 6, 2, 4, 1, 42}},
        {"COM3", {{port, "COM21"}}, cancelled, FakeConfigDialog::incoming("COM3")},
        // Saving goes on, but the caller is given nothing while the dialog stays open.
        {"10.0.0.1", {{tcp, ""}}, stayOpen, {"10.1.2.3", 0, 6, 2, 4, 1, 42}},
        {"10.0.0.1", {{tcp, "99999999999"}}, stayOpen, {"10.1.2.3", 0, 6, 2, 4, 1, 42}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        FakeConfigDialog dialog;
        dialog.open(row.portName);
        dialog.view.ip = {10, 1, 2, 3};
        for (const auto& [id, text] : row.entered) {
            dialog.view.enter(id, text);
        }
        EXPECT_EQ(dialog.presenter.onOk(), row.outcome);
        EXPECT_EQ(dialog.presenter.values(), row.saved);
        EXPECT_EQ(dialog.view.messages, row.outcome == cancelled ? "Invalid Port Name!\n" : "");
        EXPECT_EQ(dialog.view.integerPrompts, row.outcome == stayOpen ? 2 : 0);
    }
}

// Each click fills the lists afresh. Only COM reads the TCP port field back; every click
// rewrites it from the last value read.
TEST(PortConfigSwitching, RefillsTheListsAndRewritesTheTcpPort) {
    FakeConfigDialog dialog;
    dialog.open("10.0.0.5");
    dialog.view.enter(IDC_TCP_PORT, "9100");
    dialog.presenter.onComSelected();
    EXPECT_EQ(dialog.view.shown(), kCom);
    dialog.presenter.onEthernetSelected();
    EXPECT_EQ(dialog.view.shown(), "3 IP address PORT 9100 -(0) -(0) -(0) -(0)");
    dialog.view.enter(IDC_TCP_PORT, "515");
    dialog.presenter.onLptSelected();
    EXPECT_EQ(dialog.view.shown(), kLpt);
    EXPECT_EQ(dialog.view.texts[IDC_TCP_PORT], "9100");
    dialog.presenter.onComSelected();
    EXPECT_EQ(dialog.view.shown(), kCom);
}

} // namespace
