#pragma once
// Template 129: the Win32 face of PortConfigPresenter. Closed only by its OK and Cancel buttons;
// Enter and Escape do nothing in it.
#include "ui/PortConfigPresenter.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/ImageButton.h"
#include "ui/win32/ModalDialog.h"

class PortConfigDialog : public ModalDialog, private PortConfigView {
  public:
    explicit PortConfigDialog(UsbPrinterSource& usb);

    PortConfigPresenter& presenter() { return presenter_; }

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;
    HBRUSH onCtlColor(HDC dc, HWND control, UINT message) override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool preTranslateMessage(const MSG& msg) override;

  private:
    // Keeps faces and frame whole whatever the dialog font.
    void holdTogether();

    // PortConfigView
    void setControlText(int32_t id, const std::string& text) override;
    void showControl(int32_t id, bool visible) override;
    void enableControl(int32_t id, bool enabled) override;
    void clearList(int32_t id) override;
    void addListEntry(int32_t id, const std::string& text) override;
    void selectListEntry(int32_t id, int32_t index) override;
    int32_t selectedListIndex(int32_t id) override;
    std::string listEntryText(int32_t id, int32_t index) override;
    void setCheckedPortType(int32_t index) override;
    int32_t checkedPortType() override;
    void setTcpPortText(const std::string& text) override;
    std::string tcpPortText() override;
    void promptForInteger() override;
    std::array<int32_t, 4> ipAddressFields() override;
    void showMessage(const std::string& text) override;

    PortConfigPresenter presenter_;
    ImageButton okButton_;
    ImageButton cancelButton_;
    GdiObject<HBRUSH> whiteBrush_;
};
