#include "platform/PortDeviceDescription.h"

namespace {
bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}
} // namespace

PortDescription describePort(const std::string& portName, int32_t tcpPort) {
    // Serial and parallel names, and USB device interface paths, are what Windows opens.
    if (startsWith(portName, "COM") || startsWith(portName, "LPT") ||
        startsWith(portName, "\\\\.\\COM")) {
        return {portName, portName};
    }
    if (startsWith(portName, "\\")) {
        return {"USB", portName};
    }
    return {"NET", portName + ":" + std::to_string(tcpPort)};
}
