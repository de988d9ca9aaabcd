#include "platform/PortDeviceDescription.h"

#include "platform/UsbPathResolver.h"
#include "platform/posix/DeviceNames.h"

#include <cstdlib>

namespace {
bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}
} // namespace

PortDescription describePort(const std::string& portName, int32_t tcpPort) {
    const EnvLookup env = [](const char* name) { return std::getenv(name); };
    if (startsWith(portName, "/")) {
        return {portName, portName}; // a device path given as the port
    }
    if (startsWith(portName, "COM") || startsWith(portName, "\\\\.\\COM")) {
        return {portName, serialDevicePath(portName, env)};
    }
    if (startsWith(portName, "LPT")) {
        return {portName, parallelDevicePath(portName, env)};
    }
    if (startsWith(portName, "\\")) {
        return {"USB", resolveUsbDevicePath(portName)};
    }
    return {"NET", portName + ":" + std::to_string(tcpPort)};
}
