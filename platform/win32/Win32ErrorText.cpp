#include "platform/win32/Win32ErrorText.h"

#include <cstdio>

std::string win32ErrorText(DWORD code) {
    char buffer[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) {
        char number[32];
        std::snprintf(number, sizeof number, "error 0x%08lX", static_cast<unsigned long>(code));
        text = number;
    }
    return text;
}

std::string win32DeviceOpenReason(const std::string& device, DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return device + ": no such device";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        // Ports are opened exclusively: a port another program holds is refused as denied.
        return device + ": busy: held by another program (or access denied)";
    default:
        return device + ": " + win32ErrorText(code);
    }
}
