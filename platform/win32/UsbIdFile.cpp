#include "platform/UsbIdFile.h"

#include <windows.h>

std::string usbIdFilePath() {
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return "usbids.txt";
    }
    std::string program(buffer, length);
    size_t slash = program.find_last_of("\\/");
    return program.substr(0, slash == std::string::npos ? 0 : slash + 1) + "usbids.txt";
}
