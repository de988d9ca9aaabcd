#pragma once
// A dialog from a resource template, run modally with a message loop of our own. Owning the
// loop lets a dialog look at every message before the dialog manager does (to swallow Enter
// and Escape), and it keeps every other window's messages flowing, timers included: a transfer
// goes on while a dialog or message box is open.
#include <windows.h>

#include <cstdint>

class ModalDialog {
  public:
    explicit ModalDialog(int templateId);
    virtual ~ModalDialog();
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Creates the dialog, disables the owner while it runs and returns the end code, or -1 when
    // the template could not be made into a window.
    INT_PTR runModal(HWND owner);
    // Ends the modal loop after the current message.
    void endDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

  protected:
    // Returns what WM_INITDIALOG returns (TRUE: default focus).
    virtual BOOL onInitDialog() { return TRUE; }
    // Returns true when the command was handled. The default ends the dialog on IDOK/IDCANCEL.
    virtual bool onCommand(int id, int code);
    // Returns the brush for WM_CTLCOLOR*; the default gives the application-wide colours.
    virtual HBRUSH onCtlColor(HDC dc, HWND control, UINT message);
    // Any other message; set handled and return the dialog procedure's result.
    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Sees each message of the loop first; true consumes it.
    virtual bool preTranslateMessage(const MSG& msg);

    // For the dialogs that must not be closed from the keyboard.
    bool isEnterOrEscapeFor(const MSG& msg) const;

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    INT_PTR result_ = 0;
};
