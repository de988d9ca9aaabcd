#include "app/PortValue.h"

#include "app/TextRules.h"
#include "platform/DevicePaths.h"

PortValue classifyPortValue(std::string_view value) {
    // No value of the Windows vocabulary begins with '/', so this takes nothing from it. A device
    // that one of the program's own port names leads to is that port: /dev/ttyS0 is COM1, so
    // it is opened, logged and matched to its print queues exactly as COM1 is.
    const std::string path(value);
    const std::string known = portNameForDevicePath(path);
    switch (devicePathKind(path)) {
    case DevicePathKind::Serial:
        return {PortKind::Com, known.empty() ? path : known};
    case DevicePathKind::Parallel:
        return {PortKind::Lpt, known.empty() ? path : known};
    case DevicePathKind::Usb:
        return {PortKind::Usb, path};
    case DevicePathKind::None:
        break;
    }
    const std::string upper = toUpperAscii(value);
    if (startsWith(upper, "COM") || startsWith(upper, "\\\\.\\COM")) {
        // Ports above COM9 can only be opened through the device namespace.
        if (startsWith(upper, "COM") && upper.size() > 4) {
            return {PortKind::Com, "\\\\.\\" + upper};
        }
        return {PortKind::Com, upper};
    }
    if (startsWith(upper, "LPT")) {
        return {PortKind::Lpt, upper};
    }
    if (startsWith(upper, "USB")) {
        return {PortKind::Usb, {}};
    }
    if (startsWith(upper, "NET")) {
        return {PortKind::Ethernet, {}};
    }
    return {};
}
