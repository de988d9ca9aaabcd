#include "ui/win32/ModalDialog.h"

#include "ui/win32/DialogSupport.h"

ModalDialog::ModalDialog(int templateId) : templateId_(templateId) {}

ModalDialog::~ModalDialog() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

INT_PTR ModalDialog::runModal(HWND owner) {
    ended_ = false;
    result_ = 0;
    HWND window = CreateDialogParamA(resourceModule(), MAKEINTRESOURCEA(templateId_), owner,
                                     &ModalDialog::dialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        return -1;
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) {
        EnableWindow(owner, FALSE);
    }
    if (!ended_) {
        ShowWindow(window, SW_SHOW);
    }
    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the outermost loop: hand it on.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) {
            break;
        }
        if (preTranslateMessage(msg) || IsDialogMessageA(window, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The owner comes back before this window goes, so activation returns to it.
    if (disableOwner) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow(window);
    hwnd_ = nullptr;
    return result_;
}

void ModalDialog::endDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wakes the loop when the end is decided outside a message of its own.
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

bool ModalDialog::onCommand(int id, int /*code*/) {
    if (id == IDOK || id == IDCANCEL) {
        endDialog(id);
        return true;
    }
    return false;
}

HBRUSH ModalDialog::onCtlColor(HDC dc, HWND /*control*/, UINT /*message*/) {
    return applicationControlColor(dc);
}

INT_PTR ModalDialog::onMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return FALSE;
}

bool ModalDialog::preTranslateMessage(const MSG&) {
    return false;
}

bool ModalDialog::isEnterOrEscapeFor(const MSG& msg) const {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) {
        return false;
    }
    return msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd);
}

INT_PTR CALLBACK ModalDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    const INT_PTR result = self->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR ModalDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog();
    case WM_COMMAND:
        return onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(
            onCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message));
    default: {
        bool handled = false;
        const INT_PTR result = onMessage(message, wParam, lParam, handled);
        return handled ? result : FALSE;
    }
    }
}
