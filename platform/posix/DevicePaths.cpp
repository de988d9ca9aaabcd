#include "platform/DevicePaths.h"

#include "platform/posix/DeviceNames.h"

#include <algorithm>
#include <cstdlib>

namespace {
// The prefix and at least one more character: "/dev/tty" alone is the controlling terminal
// and "/dev/usb/lp" names no device.
bool hasStem(const std::string& path, const char* stem) {
    const std::string s(stem);
    return path.size() > s.size() && path.compare(0, s.size(), s) == 0;
}
// "/dev/lp/../sda" has the form of a printer path and names a disk: a path with a ".."
// component is no device path at all.
bool climbsUp(const std::string& path) {
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (path.compare(start, end - start, "..") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}
} // namespace

DevicePathKind devicePathKind(const std::string& path) {
    if (climbsUp(path)) {
        return DevicePathKind::None;
    }
    // Pseudo-terminals stand in for serial lines behind socat or ser2net, and /dev/serial/by-id
    // names a USB serial adapter by what it is rather than by the order it was plugged in.
    if (hasStem(path, "/dev/tty") || hasStem(path, "/dev/pts/") || hasStem(path, "/dev/serial/")) {
        return DevicePathKind::Serial;
    }
    if (hasStem(path, "/dev/usb/lp")) {
        return DevicePathKind::Usb;
    }
    if (hasStem(path, "/dev/lp")) {
        return DevicePathKind::Parallel;
    }
    return DevicePathKind::None;
}

std::string portNameForDevicePath(const std::string& path) {
    const EnvLookup env = [](const char* name) { return std::getenv(name); };
    const DevicePathKind kind = devicePathKind(path);
    if (kind != DevicePathKind::Serial && kind != DevicePathKind::Parallel) {
        return {};
    }
    const bool serial = kind == DevicePathKind::Serial;
    for (int number = 1; number <= 256; ++number) {
        const std::string name = (serial ? "COM" : "LPT") + std::to_string(number);
        // The path itself names itself; only the numbered names are looked at.
        if ((serial ? serialDevicePath(name, env) : parallelDevicePath(name, env)) == path) {
            // Ports above COM9 are only reachable through the device namespace.
            return serial && number > 9 ? "\\\\.\\" + name : name;
        }
    }
    return {};
}
