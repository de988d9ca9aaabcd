#include "app/PortValue.h"

#include "app/TextRules.h"

PortValue classifyPortValue(std::string_view value) {
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
