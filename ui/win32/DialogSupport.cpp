#include "ui/win32/DialogSupport.h"

#include "ui/win32/GdiHandles.h"

#include <vector>

void beginDragMove(HWND window) {
    // SC_MOVE combined with HTCAPTION: the system's own window move loop.
    SendMessageA(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void paintFramedBackground(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(255, 255, 255)));
        SelectedObject selectedPen(dc, pen.get());
        SelectedObject selectedBrush(dc, brush.get());
        Rectangle(dc, 0, 0, client.right, client.bottom);
    }
    EndPaint(window, &ps);
}

HBRUSH applicationControlColor(HDC dc) {
    SetTextColor(dc, kDialogText);
    SetBkColor(dc, kDialogBackground);
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

std::string controlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(control, buffer.data(), length + 1);
    return std::string(buffer.data());
}

std::string programDirectory() {
    std::vector<char> path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            std::string full(path.data(), length);
            const size_t slash = full.find_last_of('\\');
            return slash == std::string::npos ? std::string() : full.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

void showMessage(HWND owner, const std::string& text) {
    // The owner is kept above other windows; the box must come above it and take the input
    // (the system-modal kind is the application-modal box with the topmost style).
    MessageBoxA(owner, text.c_str(), kMessageCaption, MB_OK | MB_SYSTEMMODAL | MB_SETFOREGROUND);
}

HINSTANCE resourceModule() {
    return GetModuleHandleA(nullptr);
}
