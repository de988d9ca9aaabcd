#include "platform/DevicePaths.h"

// Windows names its ports COM3, LPT1 or by a USB device interface path found by discovery.
DevicePathKind devicePathKind(const std::string& /*path*/) {
    return DevicePathKind::None;
}

std::string portNameForDevicePath(const std::string& /*path*/) {
    return {};
}
