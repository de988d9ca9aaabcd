#include "app/PortValue.h"

#include "app/TextRules.h"
#include "platform/DevicePaths.h"

PortValue classifyPortValue(std::string_view value) {
    // No value of the Windows vocabulary begins with '/', so this takes nothing from it.
    switch (devicePathKind(std::string(value))) {
    case DevicePathKind::Serial:
        return {PortType::Com, std::string(value)};
    case DevicePathKind::Parallel:
        return {PortType::Lpt, std::string(value)};
    case DevicePathKind::Usb:
        return {PortType::Usb, std::string(value)};
    case DevicePathKind::None:
        break;
    }
    const std::string upper = toUpperAscii(value);
    if (startsWith(upper, "COM") || startsWith(upper, "\\\\.\\COM")) {
        // Ports above COM9 can only be opened through the device namespace.
        if (startsWith(upper, "COM") && upper.size() > 4) {
            return {PortType::Com, "\\\\.\\" + upper};
        }
        return {PortType::Com, upper};
    }
    if (startsWith(upper, "LPT")) {
        return {PortType::Lpt, upper};
    }
    if (startsWith(upper, "USB")) {
        return {PortType::Usb, {}};
    }
    if (startsWith(upper, "NET")) {
        return {PortType::Net, {}};
    }
    return {};
}
