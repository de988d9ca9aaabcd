#include "platform/UsbPathResolver.h"

#include <sys/stat.h>

std::string resolveUsbDevicePath(const std::string& path) {
    // A path that names a character device node (/dev/usb/lp0) is used as it is.
    struct stat info {};
    if (!path.empty() && path.front() == '/' && ::stat(path.c_str(), &info) == 0 &&
        S_ISCHR(info.st_mode)) {
        return path;
    }
    return {};
}
