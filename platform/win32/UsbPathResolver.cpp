#include "platform/UsbPathResolver.h"

// Windows opens the device interface path itself.
std::string resolveUsbDevicePath(const std::string& path) {
    return path;
}
