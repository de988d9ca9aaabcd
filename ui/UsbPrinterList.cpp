#include "ui/UsbPrinterList.h"

#include <cstdio>

std::string usbDisplayName(int32_t number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "USB%03d:", static_cast<int>(number));
    return buffer;
}
