#include "ui/PortConfigPresenter.h"
#include "res/resource.h"
#include "support/UiFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class PortConfigTest : public ::testing::Test {
  protected:
    PortConfigPresenter& open(const std::string& portName, int32_t modelCode = 1112) {
        dialog.modelCode = modelCode;
        PortConfigValues in;
        in.portName = portName;
        in.baudRate = 7;
        in.dataBits = 6;
        in.stopBits = 2;
        in.parity = 4;
        in.handshake = 1;
        in.reserved1 = 42;
        dialog.setValues(in);
        dialog.initialize();
        return dialog;
    }

    void expectComDefaults() {
        EXPECT_EQ(view.checked, 0);
        EXPECT_EQ(view.list(IDC_PORT_COMBO).entries.size(), 20u);
        EXPECT_EQ(view.list(IDC_PORT_COMBO).entries[8], "COM9");
        EXPECT_EQ(view.list(IDC_PORT_COMBO).entries[9], "\\\\.\\COM10");
        EXPECT_EQ(view.list(IDC_PORT_COMBO).entries[19], "\\\\.\\COM20");
        EXPECT_EQ(view.selectedText(IDC_PORT_COMBO), "COM1");
        EXPECT_THAT(view.list(IDC_BAUD_COMBO).entries,
                    ElementsAre("2400", "4800", "9600", "19200", "38400", "57600", "115200"));
        EXPECT_EQ(view.selectedText(IDC_BAUD_COMBO), "9600");
        EXPECT_EQ(view.selectedText(IDC_DATABITS_COMBO), "8");
        EXPECT_THAT(view.list(IDC_PARITY_COMBO).entries, ElementsAre("NONE", "ODD", "EVEN"));
        EXPECT_EQ(view.selectedText(IDC_PARITY_COMBO), "NONE");
        EXPECT_EQ(view.selectedText(IDC_STOPBITS_COMBO), "1");
        EXPECT_THAT(view.list(IDC_HANDSHAKE_COMBO).entries, ElementsAre("DTR/DSR", "XON/XOFF"));
        EXPECT_EQ(view.selectedText(IDC_HANDSHAKE_COMBO), "DTR/DSR");
        for (int32_t id : {IDC_BAUD_COMBO, IDC_DATABITS_COMBO, IDC_PARITY_COMBO, IDC_STOPBITS_COMBO,
                           IDC_HANDSHAKE_COMBO}) {
            EXPECT_TRUE(view.enabled[id]) << id;
        }
        EXPECT_EQ(view.texts[IDC_LABEL_PORT], "Port");
        EXPECT_EQ(view.texts[IDC_LABEL_BAUD], "Baudrate");
        EXPECT_TRUE(view.visible[IDC_PORT_COMBO]);
        EXPECT_FALSE(view.visible[IDC_IP_ADDRESS]);
        EXPECT_FALSE(view.visible[IDC_TCP_PORT]);
    }

    FakePortConfigView view;
    ScriptedUsbSource usb;
    PortConfigPresenter dialog{view, usb};
};

TEST(PortTypeIndex, IsDerivedFromTheLeadingCharactersCaseSensitively) {
    EXPECT_EQ(portTypeIndexFor("COM3"), 0);
    EXPECT_EQ(portTypeIndexFor("\\\\.\\COM12"), 0);
    EXPECT_EQ(portTypeIndexFor("LPT2"), 1);
    EXPECT_EQ(portTypeIndexFor("\\\\?\\usb#vid_0519&pid_0001#5&1#{28d78fad}"), 2);
    EXPECT_EQ(portTypeIndexFor("192.168.0.10"), 3);
    EXPECT_EQ(portTypeIndexFor(""), 3);
    EXPECT_EQ(portTypeIndexFor("com1"), 3);
    EXPECT_EQ(portTypeIndexFor("CO"), 3);
}

TEST_F(PortConfigTest, OpensOnComWithDefaultListsWhateverTheIncomingSettings) {
    for (const char* name : {"COM3", "\\\\.\\COM12"}) {
        SCOPED_TRACE(name);
        view = FakePortConfigView{}; // a fresh dialog
        open(name);
        expectComDefaults();
        EXPECT_EQ(view.tcpText, "0");
    }
}

TEST_F(PortConfigTest, OpensOnLptWithSettingListsDisabled) {
    open("LPT2");
    EXPECT_EQ(view.checked, 1);
    EXPECT_THAT(view.list(IDC_PORT_COMBO).entries, ElementsAre("LPT1", "LPT2", "LPT3"));
    EXPECT_EQ(view.selectedText(IDC_PORT_COMBO), "LPT1");
    EXPECT_TRUE(view.list(IDC_BAUD_COMBO).entries.empty());
    EXPECT_FALSE(view.enabled[IDC_BAUD_COMBO]);
    EXPECT_FALSE(view.enabled[IDC_HANDSHAKE_COMBO]);
}

TEST_F(PortConfigTest, OpensOnEthernetWithAddressFieldsInsteadOfLists) {
    open("192.168.0.10");
    EXPECT_EQ(view.checked, 3);
    EXPECT_EQ(view.texts[IDC_LABEL_PORT], "IP");
    EXPECT_EQ(view.texts[IDC_LABEL_BAUD], "PORT");
    EXPECT_FALSE(view.visible[IDC_PORT_COMBO]);
    EXPECT_FALSE(view.visible[IDC_BAUD_COMBO]);
    EXPECT_TRUE(view.visible[IDC_IP_ADDRESS]);
    EXPECT_TRUE(view.visible[IDC_TCP_PORT]);
    EXPECT_EQ(view.tcpText, "0");
    EXPECT_FALSE(view.enabled[IDC_PARITY_COMBO]);
    EXPECT_TRUE(usb.searchedModels.empty());
}

TEST_F(PortConfigTest, OpeningOnUsbWithoutPrinterFallsBackToCom) {
    open("\\\\?\\usb#old-device");
    EXPECT_THAT(view.messages, ElementsAre("Not Connect USB Printer"));
    EXPECT_THAT(usb.searchedModels, ElementsAre(1112));
    expectComDefaults();
}

TEST_F(PortConfigTest, ListsAttachedUsbPrintersAndSavesTheChosenDevicePath) {
    usb.attached = {"\\\\?\\usb#first", "\\\\?\\usb#second"};
    open("COM1");
    dialog.onUsbSelected();
    EXPECT_THAT(view.list(IDC_PORT_COMBO).entries, ElementsAre("USB001:", "USB002:"));
    EXPECT_EQ(view.selectedText(IDC_PORT_COMBO), "USB001:");
    EXPECT_FALSE(view.enabled[IDC_BAUD_COMBO]);
    view.choose(IDC_PORT_COMBO, "USB002:");
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "\\\\?\\usb#second");
    // The line settings stay as they came in.
    EXPECT_EQ(dialog.baudRate, 7);
    EXPECT_EQ(dialog.handshake, 1);
}

TEST_F(PortConfigTest, UsbNumberingGoesOnAcrossSearchesInOneDialog) {
    usb.attached = {"\\\\?\\usb#first", "\\\\?\\usb#second"};
    open("COM1");
    dialog.onUsbSelected();
    dialog.onComSelected();
    expectComDefaults();
    dialog.onUsbSelected();
    EXPECT_THAT(view.list(IDC_PORT_COMBO).entries, ElementsAre("USB003:", "USB004:"));
    EXPECT_EQ(dialog.usbDevices.size(), 4u);
    view.choose(IDC_PORT_COMBO, "USB004:");
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "\\\\?\\usb#second");
}

TEST_F(PortConfigTest, ClickingUsbWithoutPrinterReturnsToCom) {
    open("LPT1");
    dialog.onUsbSelected();
    EXPECT_THAT(view.messages, ElementsAre("Not Connect USB Printer"));
    expectComDefaults();
}

TEST_F(PortConfigTest, SavesComChoiceWithLineSettings) {
    open("COM3");
    view.choose(IDC_PORT_COMBO, "\\\\.\\COM15");
    view.choose(IDC_BAUD_COMBO, "115200");
    view.choose(IDC_PARITY_COMBO, "EVEN");
    view.choose(IDC_HANDSHAKE_COMBO, "XON/XOFF");
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    const PortConfigValues out = dialog.values();
    EXPECT_EQ(out.portName, "\\\\.\\COM15");
    EXPECT_EQ(out.baudRate, 115200);
    EXPECT_EQ(out.dataBits, 8);
    EXPECT_EQ(out.parity, 2);
    EXPECT_EQ(out.handshake, 1);
    EXPECT_EQ(out.stopBits, 0);
    EXPECT_EQ(out.reserved1, 42);
    EXPECT_TRUE(view.messages.empty());
    // NONE is the first entry, a choice like the others.
    view.choose(IDC_PARITY_COMBO, "NONE");
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.values().parity, 0);
}

TEST_F(PortConfigTest, TypedBaudRateKeepsTheIncomingValueInsteadOfReadingAMissingEntry) {
    open("COM3");
    view.lists[IDC_BAUD_COMBO].selected = -1;
    view.lists[IDC_HANDSHAKE_COMBO].selected = -1;
    view.lists[IDC_PARITY_COMBO].selected = -1;
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.baudRate, 7);
    EXPECT_EQ(dialog.parity, 4);
    EXPECT_EQ(dialog.handshake, -1);
}

TEST_F(PortConfigTest, SavesLptChoiceWithoutTouchingLineSettings) {
    open("LPT1");
    view.choose(IDC_PORT_COMBO, "LPT3");
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "LPT3");
    EXPECT_EQ(dialog.baudRate, 7);
    EXPECT_EQ(dialog.parity, 4);
}

TEST_F(PortConfigTest, SavesEthernetAddressAndTcpPortOnly) {
    open("COM1");
    dialog.onEthernetSelected();
    view.ip = {10, 0, 0, 5};
    view.tcpText = "9100";
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "10.0.0.5");
    EXPECT_EQ(dialog.baudRate, 9100);
    EXPECT_EQ(dialog.dataBits, 6);
    EXPECT_EQ(dialog.stopBits, 2);
    EXPECT_EQ(dialog.parity, 4);
    EXPECT_EQ(dialog.handshake, 1);
    EXPECT_EQ(dialog.reserved1, 42);
}

TEST_F(PortConfigTest, EmptyAddressFieldSavesZeros) {
    open("");
    view.tcpText = "9100";
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.portName, "0.0.0.0");
}

TEST_F(PortConfigTest, TypedPortNameIsRejectedAndEndsTheDialogCancelled) {
    open("COM3");
    view.typeIntoPortCombo();
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Cancelled);
    EXPECT_THAT(view.messages, ElementsAre("Invalid Port Name!"));
    EXPECT_EQ(dialog.portName, "COM3");
    EXPECT_EQ(dialog.baudRate, 7);
}

TEST_F(PortConfigTest, EmptyTcpPortPromptsAndKeepsTheDialogOpen) {
    open("10.0.0.5");
    view.tcpText = "";
    EXPECT_EQ(dialog.onOk(), DialogOutcome::StayOpen);
    EXPECT_EQ(view.integerPrompts, 2); // once while saving, once on closing
    view.tcpText = "99999999999";
    EXPECT_EQ(dialog.onOk(), DialogOutcome::StayOpen);
    view.tcpText = "9100";
    EXPECT_EQ(dialog.onOk(), DialogOutcome::Accepted);
    EXPECT_EQ(dialog.baudRate, 9100);
}

TEST_F(PortConfigTest, ComKeepsATypedTcpPortWhileOtherTypesRewriteIt) {
    open("10.0.0.5");
    view.tcpText = "9100";
    dialog.onComSelected();
    EXPECT_EQ(dialog.tcpPortValue, 9100);
    dialog.onEthernetSelected();
    EXPECT_EQ(view.tcpText, "9100");
    view.tcpText = "515";
    dialog.onLptSelected();
    EXPECT_EQ(view.tcpText, "9100");
}

TEST_F(PortConfigTest, EthernetKeepsThePortListButEmptiesTheSettingLists) {
    open("COM1");
    dialog.onEthernetSelected();
    EXPECT_EQ(view.list(IDC_PORT_COMBO).entries.size(), 20u);
    EXPECT_TRUE(view.list(IDC_BAUD_COMBO).entries.empty());
    // Back to COM: lists are filled once, not appended to what was there.
    dialog.onComSelected();
    expectComDefaults();
}

struct RadioRow {
    int32_t model;
    bool com, lpt, usb, ethernet;
};

class RadioEnabling : public ::testing::TestWithParam<RadioRow> {};

TEST_P(RadioEnabling, FollowsTheModelTable) {
    FakePortConfigView view;
    ScriptedUsbSource usb;
    PortConfigPresenter dialog(view, usb);
    dialog.modelCode = GetParam().model;
    dialog.portName = "COM1";
    dialog.initialize();
    EXPECT_EQ(view.enabled[IDC_RADIO_COM], GetParam().com);
    EXPECT_EQ(view.enabled[IDC_RADIO_LPT], GetParam().lpt);
    EXPECT_EQ(view.enabled[IDC_RADIO_USB], GetParam().usb);
    EXPECT_EQ(view.enabled[IDC_RADIO_ETHERNET], GetParam().ethernet);
}

INSTANTIATE_TEST_SUITE_P(Models, RadioEnabling,
                         ::testing::Values(RadioRow{350205, true, false, false, false},
                                           RadioRow{691, true, false, true, false},
                                           RadioRow{1033, true, true, true, false},
                                           RadioRow{1112, true, true, true, true}));

TEST_F(PortConfigTest, DisabledPortTypeStaysCheckedWithItsList) {
    open("LPT1", 350);
    EXPECT_EQ(view.checked, 1);
    EXPECT_FALSE(view.enabled[IDC_RADIO_LPT]);
    EXPECT_THAT(view.list(IDC_PORT_COMBO).entries, ElementsAre("LPT1", "LPT2", "LPT3"));
}

} // namespace
