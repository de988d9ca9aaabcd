#include "platform/DevicePaths.h"

namespace {
// The prefix and at least one more character: "/dev/tty" alone is the controlling terminal
// and "/dev/usb/lp" names no device.
bool hasStem(const std::string& path, const char* stem) {
    const std::string s(stem);
    return path.size() > s.size() && path.compare(0, s.size(), s) == 0;
}
} // namespace

DevicePathKind devicePathKind(const std::string& path) {
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
