#include "ui/PortConfigPresenter.h"

#include "models/ModelTable.h"
#include "ports/PortDriver.h"

#include "platform/DevicePaths.h"
#include "res/resource.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace {

constexpr int32_t kSettingLists[] = {IDC_BAUD_COMBO, IDC_DATABITS_COMBO, IDC_PARITY_COMBO,
                                     IDC_STOPBITS_COMBO, IDC_HANDSHAKE_COMBO};

// A whole number in the range of the field, or nothing. The field takes digits only, so in
// practice this fails for an empty field or for more digits than an int holds.
std::optional<int32_t> parseWholeNumber(const std::string& text) {
    int32_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first != last && (*first == ' ' || *first == '\t')) {
        ++first;
    }
    while (last != first && (last[-1] == ' ' || last[-1] == '\t')) {
        --last;
    }
    if (first == last) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

void fillList(PortConfigView& view, int32_t id, std::initializer_list<const char*> entries,
              int32_t selected) {
    for (const char* entry : entries) {
        view.addListEntry(id, entry);
    }
    view.selectListEntry(id, selected);
}

} // namespace

int32_t portTypeIndexFor(const std::string& portName) {
    if (portName.starts_with("COM") || portName.starts_with("\\\\.\\COM")) {
        return static_cast<int32_t>(PortKind::Com);
    }
    if (const auto kind = portKindOfDevicePath(portName)) {
        return static_cast<int32_t>(*kind);
    }
    if (portName.starts_with("LPT")) {
        return static_cast<int32_t>(PortKind::Lpt);
    }
    if (portName.starts_with("\\")) {
        return static_cast<int32_t>(PortKind::Usb);
    }
    return static_cast<int32_t>(PortKind::Ethernet);
}

bool portTypeAllowed(int32_t modelCode, PortKind type) {
    return (modelRow(modelCode).ports & portBit(type)) != 0;
}

PortConfigPresenter::PortConfigPresenter(PortConfigView& view, UsbPrinterSource& usb)
    : view_(view), usb_(usb) {}

void PortConfigPresenter::setValues(const PortConfigValues& v) {
    portName = v.portName;
    baudRate = v.baudRate;
    dataBits = v.dataBits;
    stopBits = v.stopBits;
    parity = v.parity;
    handshake = v.handshake;
    reserved1 = v.reserved1;
}

PortConfigValues PortConfigPresenter::values() const {
    PortConfigValues v;
    v.portName = portName;
    v.baudRate = baudRate;
    v.dataBits = dataBits;
    v.stopBits = stopBits;
    v.parity = parity;
    v.handshake = handshake;
    v.reserved1 = reserved1;
    return v;
}

void PortConfigPresenter::initialize() {
    // The incoming port name decides only the port type: the lists always open on their
    // default entries.
    portTypeIndex = portTypeIndexFor(portName);
    fillPortControls();
    push();
    enableRadioButtons();
}

void PortConfigPresenter::enableRadioButtons() {
    // The checked button stays checked even when the model may not use that type.
    view_.enableControl(IDC_RADIO_COM, portTypeAllowed(modelCode, PortKind::Com));
    view_.enableControl(IDC_RADIO_LPT, portTypeAllowed(modelCode, PortKind::Lpt));
    view_.enableControl(IDC_RADIO_USB, portTypeAllowed(modelCode, PortKind::Usb));
    view_.enableControl(IDC_RADIO_ETHERNET, portTypeAllowed(modelCode, PortKind::Ethernet));
}

void PortConfigPresenter::fillPortControls() {
    for (;;) {
        const bool ethernet = portTypeIndex == static_cast<int32_t>(PortKind::Ethernet);
        view_.setControlText(IDC_LABEL_PORT, ethernet ? "IP" : "Port");
        view_.setControlText(IDC_LABEL_BAUD, ethernet ? "PORT" : "Baudrate");
        view_.showControl(IDC_PORT_COMBO, !ethernet);
        view_.showControl(IDC_BAUD_COMBO, !ethernet);
        view_.showControl(IDC_IP_ADDRESS, ethernet);
        view_.showControl(IDC_TCP_PORT, ethernet);

        switch (static_cast<PortKind>(portTypeIndex)) {
        case PortKind::Com:
            view_.clearList(IDC_PORT_COMBO);
            for (int port = 1; port <= 20; ++port) {
                char name[16];
                std::snprintf(name, sizeof name, port < 10 ? "COM%d" : "\\\\.\\COM%d", port);
                view_.addListEntry(IDC_PORT_COMBO, name);
            }
            fillList(view_, IDC_BAUD_COMBO,
                     {"2400", "4800", "9600", "19200", "38400", "57600", "115200"}, 2);
            fillList(view_, IDC_DATABITS_COMBO, {"8"}, 0);
            fillList(view_, IDC_PARITY_COMBO, {"NONE", "ODD", "EVEN"}, 0);
            fillList(view_, IDC_STOPBITS_COMBO, {"1"}, 0);
            fillList(view_, IDC_HANDSHAKE_COMBO, {"DTR/DSR", "XON/XOFF"}, 0);
            break;
        case PortKind::Lpt:
            view_.clearList(IDC_PORT_COMBO);
            for (const char* name : {"LPT1", "LPT2", "LPT3"}) {
                view_.addListEntry(IDC_PORT_COMBO, name);
            }
            break;
        case PortKind::Usb: {
            view_.clearList(IDC_PORT_COMBO);
            // The dialog keeps every entry it ever found, so names go on numbering from there.
            int32_t added = 0;
            for (std::string& path : usb_.attachedPrinterPaths(modelCode)) {
                UsbDeviceEntry entry{usbDisplayName(usbDevices.size() + 1), std::move(path)};
                view_.addListEntry(IDC_PORT_COMBO, entry.displayName);
                usbDevices.push_back(std::move(entry));
                ++added;
            }
            if (added == 0) {
                view_.showMessage("Not Connect USB Printer");
                portTypeIndex = static_cast<int32_t>(PortKind::Com);
                push();
                continue;
            }
            break;
        }
        case PortKind::Ethernet:
        default:
            break;
        }

        view_.selectListEntry(IDC_PORT_COMBO, 0);
        const bool serial = portTypeIndex == static_cast<int32_t>(PortKind::Com);
        for (int32_t id : kSettingLists) {
            view_.enableControl(id, serial);
        }
        return;
    }
}

void PortConfigPresenter::push() {
    view_.setCheckedPortType(portTypeIndex);
    view_.setTcpPortText(std::to_string(tcpPortValue));
}

bool PortConfigPresenter::readBack() {
    portTypeIndex = view_.checkedPortType();
    const std::optional<int32_t> tcpPort = parseWholeNumber(view_.tcpPortText());
    if (!tcpPort) {
        view_.promptForInteger();
        return false;
    }
    tcpPortValue = *tcpPort;
    return true;
}

void PortConfigPresenter::clearSettingLists() {
    view_.clearList(IDC_PORT_COMBO);
    for (int32_t id : kSettingLists) {
        view_.clearList(id);
    }
}

void PortConfigPresenter::onComSelected() {
    clearSettingLists();
    // Keeps a TCP port typed so far.
    readBack();
    portTypeIndex = static_cast<int32_t>(PortKind::Com);
    push();
    fillPortControls();
}

void PortConfigPresenter::onLptSelected() {
    clearSettingLists();
    portTypeIndex = static_cast<int32_t>(PortKind::Lpt);
    push();
    fillPortControls();
}

void PortConfigPresenter::onUsbSelected() {
    clearSettingLists();
    portTypeIndex = static_cast<int32_t>(PortKind::Usb);
    push();
    fillPortControls();
}

void PortConfigPresenter::onEthernetSelected() {
    // The port list is hidden for Ethernet and keeps its entries.
    for (int32_t id : kSettingLists) {
        view_.clearList(id);
    }
    portTypeIndex = static_cast<int32_t>(PortKind::Ethernet);
    push();
    fillPortControls();
}

void PortConfigPresenter::saveSelection(bool& cancelled) {
    cancelled = false;
    readBack();
    const int32_t selected = view_.selectedListIndex(IDC_PORT_COMBO);

    if (portTypeIndex == static_cast<int32_t>(PortKind::Ethernet)) {
        const std::array<int32_t, 4> ip = view_.ipAddressFields();
        char address[64];
        std::snprintf(address, sizeof address, "%d.%d.%d.%d", static_cast<int>(ip[0]),
                      static_cast<int>(ip[1]), static_cast<int>(ip[2]), static_cast<int>(ip[3]));
        portName = address;
        baudRate = tcpPortValue;
        return;
    }
    // A device path typed into the list (Linux) is a port of its own type; anything else typed
    // names no port.
    const std::string typed = selected < 0 ? view_.listEditText(IDC_PORT_COMBO) : std::string();
    const std::optional<PortKind> typedType = portKindOfDevicePath(typed);
    const bool typedPath = typedType && static_cast<int32_t>(*typedType) == portTypeIndex;
    if (selected < 0 && !typedPath) {
        view_.showMessage("Invalid Port Name!");
        cancelled = true;
        return;
    }

    const std::string text = typedPath ? typed : view_.listEntryText(IDC_PORT_COMBO, selected);
    if (typedPath && portTypeIndex == static_cast<int32_t>(PortKind::Usb)) {
        portName = text;
        return;
    }
    if (portTypeIndex == static_cast<int32_t>(PortKind::Usb)) {
        // The first entry of that name wins; an unknown name leaves the port as it came in.
        for (const UsbDeviceEntry& entry : usbDevices) {
            if (entry.displayName == text) {
                portName = entry.devicePath;
                break;
            }
        }
        return;
    }
    portName = text;
    if (portTypeIndex != static_cast<int32_t>(PortKind::Com)) {
        return;
    }

    // A list whose edit part was typed into has no selected entry; its field keeps the value
    // it came in with rather than reading an entry that does not exist.
    const int32_t baudIndex = view_.selectedListIndex(IDC_BAUD_COMBO);
    if (baudIndex >= 0) {
        if (auto value = parseWholeNumber(view_.listEntryText(IDC_BAUD_COMBO, baudIndex))) {
            baudRate = *value;
        }
    }
    const int32_t dataIndex = view_.selectedListIndex(IDC_DATABITS_COMBO);
    if (dataIndex >= 0) {
        if (auto value = parseWholeNumber(view_.listEntryText(IDC_DATABITS_COMBO, dataIndex))) {
            dataBits = *value;
        }
    }
    const int32_t parityIndex = view_.selectedListIndex(IDC_PARITY_COMBO);
    if (parityIndex >= 0 && parityIndex <= 2) {
        parity = parityIndex;
    }
    // -1 when nothing is selected; the serial port refuses that value when it opens.
    handshake = view_.selectedListIndex(IDC_HANDSHAKE_COMBO);
    stopBits = view_.selectedListIndex(IDC_STOPBITS_COMBO);
}

DialogOutcome PortConfigPresenter::onOk() {
    bool cancelled = false;
    saveSelection(cancelled);
    if (cancelled) {
        return DialogOutcome::Cancelled;
    }
    // Closing reads the controls once more; a TCP port field without a number keeps the
    // dialog open.
    return readBack() ? DialogOutcome::Accepted : DialogOutcome::StayOpen;
}
