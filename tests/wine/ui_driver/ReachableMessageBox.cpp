// Winsock 2 must come before the first <windows.h>, which would bring in the old Winsock.
#include <winsock2.h>

#include "tests/wine/ui_driver/ReachableMessageBox.h"

#include "res/resource.h"
#include "tests/wine/ui_driver/Checks.h"

#include <commctrl.h>

#include <string>

namespace {

// A TCP port on 127.0.0.1 that is bound but not listening, so every connection to it is
// refused for as long as this object lives.
class RefusingPort {
  public:
    RefusingPort() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (socket_ != INVALID_SOCKET &&
            bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~RefusingPort() {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
        if (started_) {
            WSACleanup();
        }
    }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int port() const { return port_; }

  private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

bool configureEthernet(const WindowProbe& probe, HWND main, int tcpPort) {
    WindowProbe::click(main, IDC_MAIN_CONFIGURATION);
    HWND config = probe.waitForDialog({IDC_CONFIG_OK, IDC_RADIO_COM}, 10000);
    if (!found(config, "configuration dialog opens for the refused connection")) {
        return false;
    }
    WindowProbe::click(config, IDC_RADIO_ETHERNET);
    WindowProbe::waitUntil([&] { return WindowProbe::visible(config, IDC_IP_ADDRESS); }, 3000);
    SendMessageA(GetDlgItem(config, IDC_IP_ADDRESS), IPM_SETADDRESS, 0,
                 MAKEIPADDRESS(127, 0, 0, 1));
    const std::string port = std::to_string(tcpPort);
    SendMessageA(GetDlgItem(config, IDC_TCP_PORT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(port.c_str()));
    WindowProbe::click(config, IDC_CONFIG_OK);
    return WindowProbe::waitUntil([&] { return !IsWindow(config); }, 5000);
}

// The event log's message box: captioned QEM_NUV, with an OK button.
HWND waitForReportBox(const WindowProbe& probe) {
    HWND box = nullptr;
    WindowProbe::waitUntil(
        [&] {
            for (HWND window : probe.topWindows()) {
                if (WindowProbe::text(window) == "QEM_NUV" && GetDlgItem(window, IDOK) != nullptr) {
                    box = window;
                    return true;
                }
            }
            return false;
        },
        20000);
    return box;
}

// Moves the pointer there and presses and releases the left button, through the system's
// input queue: the click goes to whichever window is on top at that point.
void realClick(POINT screenPoint) {
    SetCursorPos(screenPoint.x, screenPoint.y);
    Sleep(100);
    INPUT input[2]{};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input[0], sizeof(INPUT));
    Sleep(100);
    SendInput(1, &input[1], sizeof(INPUT));
}

} // namespace

void checkConnectErrorBoxTakesAClick(const WindowProbe& probe, HWND main,
                                     const std::function<void()>& beforeClick) {
    RefusingPort refusing;
    check(refusing.port() != 0, "a refusing TCP port is reserved");
    if (refusing.port() == 0 || !configureEthernet(probe, main, refusing.port())) {
        return;
    }
    WindowProbe::click(main, IDC_MAIN_DOWNLOAD);
    HWND box = waitForReportBox(probe);
    if (!found(box, "refused connection shows a message box")) {
        return;
    }
    checkEqual(WindowProbe::messageBoxText(box),
               "Socket Connect Error! ip=127.0.0.1, tcpport=" + std::to_string(refusing.port()),
               "its text");
    HWND ok = GetDlgItem(box, IDOK);
    RECT okRect{};
    GetWindowRect(ok, &okRect);
    const POINT centre{(okRect.left + okRect.right) / 2, (okRect.top + okRect.bottom) / 2};
    check(WindowFromPoint(centre) == ok, "the box's OK button is on top, above the main window");
    beforeClick();
    realClick(centre);
    const bool closed = WindowProbe::waitUntil([&] { return !IsWindow(box); }, 5000);
    check(closed, "a real mouse click on OK closes the box");
    if (!closed) {
        // Out of the way, so that the rest of the walk can go on.
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WindowProbe::waitUntil([&] { return !IsWindow(box); }, 5000);
    }
    check(IsWindow(main) && WindowProbe::enabled(main, IDC_MAIN_DOWNLOAD),
          "main window ready for another download");
}
