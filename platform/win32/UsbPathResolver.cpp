#include "platform/UsbPathResolver.h"

// Windows opens the device interface path itself.
std::string resolveUsbDevicePath(const std::string& path) {
    return path;
}

std::string stableUsbPath(const std::string& path) {
    // A device interface path already names the printer by its ids and instance.
    return path;
}
