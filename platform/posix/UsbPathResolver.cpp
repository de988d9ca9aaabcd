#include "platform/UsbPathResolver.h"

#include "platform/posix/SysfsUsb.h"

#include <sys/stat.h>

std::string resolveUsbDevicePath(const std::string& path) {
    // A device interface path found by discovery names a printer through sysfs.
    if (isUsbInterfacePath(path)) {
        return sysfsUsbNodeFor(path, sysfsRoot(), deviceRoot());
    }
    // A path that names a character device node (/dev/usb/lp0) is used as it is.
    struct stat info {};
    if (!path.empty() && path.front() == '/' && ::stat(path.c_str(), &info) == 0 &&
        S_ISCHR(info.st_mode)) {
        return path;
    }
    return {};
}

std::string stableUsbPath(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return path;
    }
    for (const SysfsUsbDevice& device : listSysfsUsbDevices(sysfsRoot(), deviceRoot())) {
        if (!device.nodePath.empty() && device.nodePath == path) {
            return device.interfacePath;
        }
    }
    return path;
}
