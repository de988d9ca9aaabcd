// Winsock 2 must come before the first <windows.h>, which would bring in the old Winsock.
#include <winsock2.h>

#include "tests/wine/ui_driver/ReachableMessageBox.h"

#include "res/resource.h"
#include "tests/wine/ui_driver/Checks.h"

#include <commctrl.h>

#include <string>

namespace {

// A port on 127.0.0.1 that nothing listens on: taken from the system, then let go.
int refusingPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

// Moves the pointer there and presses the left button through the system's input queue: the
// click goes to whichever window is on top at that point.
void realClick(POINT at) {
    SetCursorPos(at.x, at.y);
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

} // namespace

void checkConnectErrorBoxTakesAClick(const WindowProbe& probe, HWND main,
                                     const std::function<void()>& beforeClick) {
    const int port = refusingPort();
    WindowProbe::click(main, IDC_MAIN_CONFIGURATION);
    HWND config = probe.waitForDialog({IDC_CONFIG_OK, IDC_RADIO_COM}, 10000);
    if (!found(config, "configuration opens for a refused connection")) {
        return;
    }
    WindowProbe::click(config, IDC_RADIO_ETHERNET);
    WindowProbe::waitUntil([&] { return WindowProbe::visible(config, IDC_IP_ADDRESS); }, 3000);
    SendMessageA(GetDlgItem(config, IDC_IP_ADDRESS), IPM_SETADDRESS, 0,
                 MAKEIPADDRESS(127, 0, 0, 1));
    SetDlgItemInt(config, IDC_TCP_PORT, static_cast<UINT>(port), FALSE);
    WindowProbe::click(config, IDC_CONFIG_OK);
    WindowProbe::waitUntil([&] { return !IsWindow(config); }, 5000);
    WindowProbe::click(main, IDC_MAIN_DOWNLOAD);

    HWND box = probe.waitForTitle("QEM_NUV", 20000);
    if (!found(box, "refused connection shows a message box")) {
        return;
    }
    checkEqual(WindowProbe::messageBoxText(box),
               "Socket Connect Error! ip=127.0.0.1, tcpport=" + std::to_string(port), "its text");
    HWND ok = GetDlgItem(box, IDOK);
    RECT r{};
    GetWindowRect(ok, &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    check(WindowFromPoint(centre) == ok, "the box's OK button is on top of the main window");
    beforeClick();
    realClick(centre);
    check(WindowProbe::waitUntil([&] { return !IsWindow(box); }, 5000),
          "a real mouse click on OK closes the box");
    // Out of the way if it did not, so that the rest of the walk can go on.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
