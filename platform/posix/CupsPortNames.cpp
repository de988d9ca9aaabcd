#include "platform/posix/CupsPortNames.h"
#include "platform/posix/DeviceNames.h"

#include <cstdio>

namespace {

// The device named by a "scheme:/dev/..." URI, without its options.
std::string devicePart(const std::string& uri, const std::string& scheme) {
    if (uri.rfind(scheme, 0) != 0) {
        return {};
    }
    std::string device = uri.substr(scheme.size());
    return device.substr(0, device.find('?'));
}

std::string windowsName(const std::string& device, const char* prefix,
                        std::string (*pathOf)(const std::string&, const EnvLookup&),
                        const EnvLookup& env) {
    if (device.empty()) {
        return {};
    }
    for (int number = 1; number <= kMaxPortNumber; ++number) {
        const std::string name = prefix + std::to_string(number);
        if (pathOf(name, env) == device) {
            return name + ":";
        }
    }
    return {};
}

} // namespace

bool isUsbDeviceUri(const std::string& uri) {
    // The usb backend, and HPLIP's, which names USB printers hp:/usb/...
    return uri.rfind("usb:", 0) == 0 || uri.rfind("hp:/usb/", 0) == 0;
}

std::string portNameForDeviceUri(const std::string& uri, int usbPosition, const EnvLookup& env) {
    if (isUsbDeviceUri(uri)) {
        char name[16];
        std::snprintf(name, sizeof name, "USB%03d", usbPosition);
        return name;
    }
    std::string name = windowsName(devicePart(uri, "serial:"), "COM", serialDevicePath, env);
    if (name.empty()) {
        name = windowsName(devicePart(uri, "parallel:"), "LPT", parallelDevicePath, env);
    }
    return name.empty() ? uri : name;
}
