#pragma once
// Fakes for the presenters of ui/: each keeps the state a real dialog's controls would have,
// so tests can check what the user would see after every step.
#include "ui/MainWindowSurface.h"
#include "ui/PortConfigView.h"
#include "ui/UsbPrinterList.h"

#include <array>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class FakePortConfigView : public PortConfigView {
  public:
    struct List {
        std::vector<std::string> entries;
        int32_t selected = -1;
    };

    void setControlText(int32_t id, const std::string& text) override { texts[id] = text; }
    void showControl(int32_t id, bool visible) override { this->visible[id] = visible; }
    void enableControl(int32_t id, bool enabled) override { this->enabled[id] = enabled; }

    void clearList(int32_t id) override { lists[id] = List{}; }
    void addListEntry(int32_t id, const std::string& text) override {
        lists[id].entries.push_back(text);
    }
    void selectListEntry(int32_t id, int32_t index) override {
        List& list = lists[id];
        // Like CB_SETCURSEL: an index past the end selects nothing.
        list.selected =
            index >= 0 && index < static_cast<int32_t>(list.entries.size()) ? index : -1;
    }
    int32_t selectedListIndex(int32_t id) override { return lists[id].selected; }
    std::string listEntryText(int32_t id, int32_t index) override {
        const List& list = lists.at(id);
        if (index < 0 || index >= static_cast<int32_t>(list.entries.size())) {
            throw std::out_of_range("list entry read that does not exist");
        }
        return list.entries[static_cast<size_t>(index)];
    }

    void setCheckedPortType(int32_t index) override { checked = index; }
    int32_t checkedPortType() override { return checked; }
    void setTcpPortText(const std::string& text) override { tcpText = text; }
    std::string tcpPortText() override { return tcpText; }
    void promptForInteger() override { ++integerPrompts; }
    std::array<int32_t, 4> ipAddressFields() override { return ip; }
    void showMessage(const std::string& text) override { messages.push_back(text); }

    // What the user does.
    void typeIntoPortCombo() { lists[1000].selected = -1; }
    void choose(int32_t id, const std::string& entry) {
        List& list = lists.at(id);
        for (size_t i = 0; i < list.entries.size(); ++i) {
            if (list.entries[i] == entry) {
                list.selected = static_cast<int32_t>(i);
                return;
            }
        }
        throw std::invalid_argument("no entry " + entry);
    }
    const List& list(int32_t id) { return lists[id]; }
    std::string selectedText(int32_t id) {
        const List& l = lists[id];
        return l.selected < 0 ? std::string() : l.entries[static_cast<size_t>(l.selected)];
    }

    std::map<int32_t, std::string> texts;
    std::map<int32_t, bool> visible;
    std::map<int32_t, bool> enabled;
    std::map<int32_t, List> lists;
    int32_t checked = -1;
    std::string tcpText;
    int integerPrompts = 0;
    std::array<int32_t, 4> ip{0, 0, 0, 0};
    std::vector<std::string> messages;
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

class FakeMainWindow : public MainWindowSurface {
  public:
    void enableControl(int32_t id, bool on) override { enabled[id] = on; }
    void setHelpText(const std::string& text) override { helpText = text; }
    void showModelPicture(int32_t bitmapId) override { picture = bitmapId; }

    bool isEnabled(int32_t id) const {
        auto it = enabled.find(id);
        return it == enabled.end() || it->second; // controls start enabled
    }
    std::map<int32_t, bool> enabled;
    std::string helpText;
    int32_t picture = 0;
};
