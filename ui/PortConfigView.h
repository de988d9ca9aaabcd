#pragma once
// The controls of the port configuration dialog as its presenter sees them, addressed by
// control id. The Win32 dialog implements it; tests record what the presenter does.
#include <array>
#include <cstdint>
#include <string>

class PortConfigView {
  public:
    virtual ~PortConfigView() = default;
    virtual void setControlText(int32_t controlId, const std::string& text) = 0;
    virtual void showControl(int32_t controlId, bool visible) = 0;
    virtual void enableControl(int32_t controlId, bool enabled) = 0;

    // Drop-down lists.
    virtual void clearList(int32_t controlId) = 0;
    virtual void addListEntry(int32_t controlId, const std::string& text) = 0;
    virtual void selectListEntry(int32_t controlId, int32_t index) = 0;
    // -1 when no entry is selected (for example after typing into the edit part).
    virtual int32_t selectedListIndex(int32_t controlId) = 0;
    virtual std::string listEntryText(int32_t controlId, int32_t index) = 0;
    // What was typed into the edit part of a list that has one. Views whose lists take no
    // typing (the Win32 dialog's port list offers only its entries) leave it empty.
    virtual std::string listEditText(int32_t /*controlId*/) { return {}; }

    // The radio group of the four port types: index of the checked button, -1 for none.
    virtual void setCheckedPortType(int32_t index) = 0;
    virtual int32_t checkedPortType() = 0;

    // The TCP port field (digits only) as text.
    virtual void setTcpPortText(const std::string& text) = 0;
    virtual std::string tcpPortText() = 0;
    // Tells the user the TCP port field needs a whole number and puts the focus there.
    virtual void promptForInteger() = 0;

    // The four parts of the IP address field; an empty part reads as 0.
    virtual std::array<int32_t, 4> ipAddressFields() = 0;

    // A message box with one OK button.
    virtual void showMessage(const std::string& text) = 0;
};
