#include "ui/win32/SmallDialogs.h"

#include "app/EventLog.h"
#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/win32/DialogLayout.h"
#include "ui/win32/DialogSupport.h"

#include <vector>

namespace {
// Pixels between the notice's contents and its edge: one white, then the frame.
constexpr int kNoticeMargin = 2;
} // namespace

AboutDialog::AboutDialog() : ModalDialog(IDD_ABOUTBOX) {}

BOOL AboutDialog::onInitDialog() {
    // A long path loses its middle, not its file name.
    SetDlgItemTextA(hwnd(), IDC_ABOUT_LOG, ("Log: " + EventLog::instance().filePath()).c_str());
    return TRUE;
}

CompletionDialog::CompletionDialog() : ModalDialog(IDD_COMPLETION) {}

BOOL CompletionDialog::onInitDialog() {
    configureStandardButton(okButton_, "OK", kCompletionButtonTextX, kButtonTextY);
    okButton_.attach(hwnd(), IDC_COMPLETION_OK);
    // The picture keeps its own 330 x 190 pixels whatever the dialog font makes of the
    // template's dialog units: grow the window until it holds the whole picture inside the frame.
    growToHoldChildren(hwnd(), kNoticeMargin);
    keepFrameOnTop(hwnd());
    return TRUE;
}

bool CompletionDialog::onCommand(int id, int code) {
    if (id == IDC_COMPLETION_OK && code == BN_CLICKED) {
        endDialog(IDOK);
        return true;
    }
    // Enter and Escape close it as any dialog.
    return ModalDialog::onCommand(id, code);
}

INT_PTR CompletionDialog::onMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_PAINT:
        paintFramedBackground(hwnd());
        return TRUE;
    case WM_LBUTTONDOWN:
        beginDragMove(hwnd());
        return TRUE;
    case WM_DRAWITEM:
        okButton_.drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        handled = false;
        return FALSE;
    }
}

SelectPrinterDialog::SelectPrinterDialog(SelectPrinterPresenter& presenter)
    : ModalDialog(IDD_SELECT_PRINTER), presenter_(presenter) {}

BOOL SelectPrinterDialog::onInitDialog() {
    for (const std::string& name : presenter_.entries()) {
        SendMessageA(item(IDC_MODEL_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    // The list would otherwise run down through the bottom line of its group frame.
    if (HWND frame = firstGroupFrame(hwnd())) {
        fitInsideGroupFrame(hwnd(), item(IDC_MODEL_LIST), frame);
    }
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

bool SelectPrinterDialog::onCommand(int id, int code) {
    if (id == IDC_MODEL_LIST && code == LBN_SELCHANGE) {
        HWND list = item(IDC_MODEL_LIST);
        const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (index == LB_ERR) {
            return true;
        }
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
        presenter_.onSelectionChanged(text.data());
        endDialog(IDOK);
        return true;
    }
    if (id == IDOK) {
        presenter_.onAcceptedWithoutSelection();
    }
    return ModalDialog::onCommand(id, code);
}

INT_PTR SelectPrinterDialog::onMessage(UINT message, WPARAM, LPARAM, bool& handled) {
    if (message == WM_LBUTTONDOWN) {
        handled = true;
        beginDragMove(hwnd());
        return TRUE;
    }
    handled = false;
    return FALSE;
}
