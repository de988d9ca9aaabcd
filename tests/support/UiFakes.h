#pragma once
// Fakes for the presenters of ui/: each keeps the state a real dialog's controls would have,
// so tests can check what the user would see after every step.
#include "res/resource.h"
#include "ui/MainWindowSurface.h"
#include "ui/PortConfigPresenter.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class FakePortConfigView : public PortConfigView {
  public:
    struct List {
        std::vector<std::string> entries;
        int32_t selected = -1;
    };

    void setControlText(int32_t id, const std::string& text) override { texts[id] = text; }
    void showControl(int32_t id, bool on) override { visible[id] = on; }
    void enableControl(int32_t id, bool on) override { enabled[id] = on; }
    void clearList(int32_t id) override { lists[id] = List{}; }
    void addListEntry(int32_t id, const std::string& text) override {
        lists[id].entries.push_back(text);
    }
    // Like CB_SETCURSEL: an index past the end selects nothing.
    void selectListEntry(int32_t id, int32_t index) override {
        lists[id].selected = index < static_cast<int32_t>(lists[id].entries.size()) ? index : -1;
    }
    int32_t selectedListIndex(int32_t id) override { return lists[id].selected; }
    // Reading an entry that does not exist throws, and so fails the test.
    std::string listEntryText(int32_t id, int32_t index) override {
        return lists.at(id).entries.at(static_cast<size_t>(index));
    }
    std::string listEditText(int32_t id) override { return texts[id]; }
    void setCheckedPortType(int32_t index) override { checked = index; }
    int32_t checkedPortType() override { return checked; }
    void setTcpPortText(const std::string& text) override { texts[IDC_TCP_PORT] = text; }
    std::string tcpPortText() override { return texts[IDC_TCP_PORT]; }
    void promptForInteger() override { ++integerPrompts; }
    std::array<int32_t, 4> ipAddressFields() override { return ip; }
    void showMessage(const std::string& text) override { messages += text + "\n"; }

    // What the user does: picks the entry with that text, or types text no entry has into the
    // edit part, which leaves no entry selected. The TCP port field takes text the same way.
    void enter(int32_t id, const std::string& text) {
        const std::vector<std::string>& entries = lists[id].entries;
        const auto at = std::find(entries.begin(), entries.end(), text);
        lists[id].selected = at == entries.end() ? -1 : static_cast<int32_t>(at - entries.begin());
        texts[id] = text;
    }

    // What the user sees, in one line: the checked port type; each label with the field shown
    // under it; the other four setting lists. A list reads "selected entry(entry count)", with
    // a leading "-" when it is disabled.
    std::string shown() {
        std::string line = std::to_string(checked) + " " + texts[IDC_LABEL_PORT];
        line += visible[IDC_PORT_COMBO] ? " " + listShown(IDC_PORT_COMBO, true) : "";
        line += visible[IDC_IP_ADDRESS] ? " address" : "";
        line += " " + texts[IDC_LABEL_BAUD];
        line += visible[IDC_BAUD_COMBO] ? " " + listShown(IDC_BAUD_COMBO) : "";
        line += visible[IDC_TCP_PORT] ? " " + texts[IDC_TCP_PORT] : "";
        for (int32_t id :
             {IDC_DATABITS_COMBO, IDC_PARITY_COMBO, IDC_STOPBITS_COMBO, IDC_HANDSHAKE_COMBO}) {
            line += " " + listShown(id);
        }
        return line;
    }
    // "1" or "0" for each port type button, COM, LPT, USB, Ethernet: whether it can be clicked.
    std::string clickable() {
        std::string flags;
        for (int32_t id : {IDC_RADIO_COM, IDC_RADIO_LPT, IDC_RADIO_USB, IDC_RADIO_ETHERNET}) {
            flags += enabled[id] ? '1' : '0';
        }
        return flags;
    }

    std::map<int32_t, std::string> texts;
    std::map<int32_t, bool> visible;
    std::map<int32_t, bool> enabled;
    std::map<int32_t, List> lists;
    int32_t checked = -1;
    int integerPrompts = 0;
    std::array<int32_t, 4> ip{0, 0, 0, 0};
    std::string messages; // every message box shown, one a line

  private:
    std::string listShown(int32_t id, bool alwaysEnabled = false) {
        const List& list = lists[id];
        const std::string selected =
            list.selected < 0 ? "" : list.entries[static_cast<size_t>(list.selected)];
        return (alwaysEnabled || enabled[id] ? "" : "-") + selected + "(" +
               std::to_string(list.entries.size()) + ")";
    }
};

// The printers attached right now; every search finds all of them again.
class ScriptedUsbSource : public UsbPrinterSource {
  public:
    std::vector<std::string> attachedPrinterPaths(int32_t modelCode) override {
        searchedModels.push_back(modelCode);
        return attached;
    }
    std::vector<std::string> attached;
    std::vector<int32_t> searchedModels;
};

// The configuration dialog over the fakes, opened the way the main window opens it.
struct FakeConfigDialog {
    // Line settings no list offers, so the tests see which of them the dialog keeps.
    static PortConfigValues incoming(const std::string& portName) {
        return {portName, 7, 6, 2, 4, 1, 42};
    }
    void open(const std::string& portName, int32_t modelCode = 1112) {
        presenter.modelCode = modelCode;
        presenter.setValues(incoming(portName));
        presenter.initialize();
    }
    FakePortConfigView view;
    ScriptedUsbSource usb;
    PortConfigPresenter presenter{view, usb};
};

class FakeMainWindow : public MainWindowSurface {
  public:
    void enableControl(int32_t id, bool on) override { enabled[id] = on; }
    void setHelpText(const std::string& text) override { helpText = text; }
    void showModelPicture(int32_t bitmapId) override { picture = bitmapId; }
    std::string bannerText() override { return banner; }
    void setBannerText(const std::string& text) override { banner = text; }

    std::map<int32_t, bool> enabled;
    std::string helpText;
    std::string banner = "Firmware Downloader";
    int32_t picture = 0;
};
