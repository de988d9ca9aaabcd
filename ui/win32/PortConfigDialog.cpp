#include "ui/win32/PortConfigDialog.h"

#include "res/resource.h"
#include "ui/DialogLook.h"
#include "ui/win32/DialogLayout.h"
#include "ui/win32/DialogSupport.h"

#include <commctrl.h>

#include <vector>

namespace {
constexpr int kRadioIds[] = {IDC_RADIO_COM, IDC_RADIO_LPT, IDC_RADIO_USB, IDC_RADIO_ETHERNET};
// Pixels between the two faces, and between any control and the window's edge.
constexpr int kFaceGap = 6;
constexpr int kEdgeMargin = 2;
} // namespace

PortConfigDialog::PortConfigDialog(UsbPrinterSource& usb)
    : ModalDialog(IDD_PORT_CONFIG), presenter_(*this, usb) {}

BOOL PortConfigDialog::onInitDialog() {
    whiteBrush_.reset(CreateSolidBrush(kDialogBackground));
    configureStandardButton(okButton_, "OK", 17, 3);
    okButton_.attach(hwnd(), IDC_CONFIG_OK);
    configureStandardButton(cancelButton_, "Cancel", 17, 3);
    cancelButton_.attach(hwnd(), IDC_CONFIG_CANCEL);
    presenter_.initialize();
    holdTogether();
    return TRUE;
}

void PortConfigDialog::holdTogether() {
    // With a dialog font smaller than the template's, 78 dialog units come out narrower than a
    // face: OK and Cancel would overlap and read as one bar.
    separateFaces(hwnd(), okButton_.hwnd(), cancelButton_.hwnd(), kFaceGap, kEdgeMargin);
    growToHoldChildren(hwnd(), kEdgeMargin);
    // The port-type frame starts at the top edge; left alone, it would paint over the frame.
    keepFrameOnTop(hwnd());
}

bool PortConfigDialog::preTranslateMessage(const MSG& msg) {
    return isEnterOrEscapeFor(msg);
}

bool PortConfigDialog::onCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_RADIO_COM:
        presenter_.onComSelected();
        return true;
    case IDC_RADIO_LPT:
        presenter_.onLptSelected();
        return true;
    case IDC_RADIO_USB:
        presenter_.onUsbSelected();
        return true;
    case IDC_RADIO_ETHERNET:
        presenter_.onEthernetSelected();
        return true;
    case IDC_CONFIG_OK:
        switch (presenter_.onOk()) {
        case DialogOutcome::Accepted:
            endDialog(IDOK);
            break;
        case DialogOutcome::Cancelled:
            endDialog(IDCANCEL);
            break;
        case DialogOutcome::StayOpen:
            break;
        }
        return true;
    case IDC_CONFIG_CANCEL:
        endDialog(IDCANCEL);
        return true;
    default:
        // IDCANCEL from closing the window through the system still cancels.
        return ModalDialog::onCommand(id, code);
    }
}

HBRUSH PortConfigDialog::onCtlColor(HDC dc, HWND control, UINT message) {
    if (message != WM_CTLCOLORDLG && control != nullptr) {
        const int id = GetDlgCtrlID(control);
        const bool radio = id == IDC_RADIO_COM || id == IDC_RADIO_LPT || id == IDC_RADIO_USB ||
                           id == IDC_RADIO_ETHERNET;
        if (radio || id == -1 || id == 0xFFFF) {
            SetTextColor(dc, kPortDialogLabelText);
            SetBkMode(dc, TRANSPARENT);
            return whiteBrush_.get();
        }
    }
    return ModalDialog::onCtlColor(dc, control, message);
}

INT_PTR PortConfigDialog::onMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_PAINT:
        paintFramedBackground(hwnd());
        return TRUE;
    case WM_LBUTTONDOWN:
        beginDragMove(hwnd());
        return TRUE;
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlID == IDC_CONFIG_OK) {
            okButton_.drawItem(draw);
        } else if (draw.CtlID == IDC_CONFIG_CANCEL) {
            cancelButton_.drawItem(draw);
        }
        return TRUE;
    }
    default:
        handled = false;
        return FALSE;
    }
}

void PortConfigDialog::setControlText(int32_t id, const std::string& text) {
    SetDlgItemTextA(hwnd(), id, text.c_str());
}

void PortConfigDialog::showControl(int32_t id, bool visible) {
    ShowWindow(item(id), visible ? SW_SHOW : SW_HIDE);
}

void PortConfigDialog::enableControl(int32_t id, bool enabled) {
    EnableWindow(item(id), enabled ? TRUE : FALSE);
}

void PortConfigDialog::clearList(int32_t id) {
    SendMessageA(item(id), CB_RESETCONTENT, 0, 0);
}

void PortConfigDialog::addListEntry(int32_t id, const std::string& text) {
    SendMessageA(item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PortConfigDialog::selectListEntry(int32_t id, int32_t index) {
    SendMessageA(item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int32_t PortConfigDialog::selectedListIndex(int32_t id) {
    const LRESULT index = SendMessageA(item(id), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int32_t>(index);
}

std::string PortConfigDialog::listEntryText(int32_t id, int32_t index) {
    HWND combo = item(id);
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return {};
    }
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void PortConfigDialog::setCheckedPortType(int32_t index) {
    for (int i = 0; i < 4; ++i) {
        SendMessageA(item(kRadioIds[i]), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int32_t PortConfigDialog::checkedPortType() {
    for (int i = 0; i < 4; ++i) {
        if (SendMessageA(item(kRadioIds[i]), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return i;
        }
    }
    return -1;
}

void PortConfigDialog::setTcpPortText(const std::string& text) {
    SetDlgItemTextA(hwnd(), IDC_TCP_PORT, text.c_str());
}

std::string PortConfigDialog::tcpPortText() {
    return controlText(item(IDC_TCP_PORT));
}

void PortConfigDialog::promptForInteger() {
    ::showMessage(hwnd(), kIntegerPromptText);
    SetFocus(item(IDC_TCP_PORT));
}

std::array<int32_t, 4> PortConfigDialog::ipAddressFields() {
    DWORD address = 0;
    SendMessageA(item(IDC_IP_ADDRESS), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return {static_cast<int32_t>(FIRST_IPADDRESS(address)),
            static_cast<int32_t>(SECOND_IPADDRESS(address)),
            static_cast<int32_t>(THIRD_IPADDRESS(address)),
            static_cast<int32_t>(FOURTH_IPADDRESS(address))};
}

void PortConfigDialog::showMessage(const std::string& text) {
    ::showMessage(hwnd(), text);
}
