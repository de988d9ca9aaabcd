#include "ports/PortDriver.h"

#include "platform/DevicePaths.h"
#include "platform/WindowsVersion.h"
#include "ports/WindowsFamily.h"

namespace {
bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Calls op on the installed variant, or gives fallback when none is installed.
template <typename Variant, typename Op, typename R> R dispatch(Variant& port, R fallback, Op op) {
    return std::visit(
        [&](auto& held) -> R {
            if constexpr (std::is_same_v<std::decay_t<decltype(held)>, std::monostate>) {
                return fallback;
            } else {
                return op(*held);
            }
        },
        port);
}
} // namespace

std::optional<PortKind> portKindOfDevicePath(const std::string& path) {
    switch (devicePathKind(path)) {
    case DevicePathKind::Serial:
        return PortKind::Com;
    case DevicePathKind::Parallel:
        return PortKind::Lpt;
    case DevicePathKind::Usb:
        return PortKind::Usb;
    case DevicePathKind::None:
        break;
    }
    return std::nullopt;
}

PortKind portKindFor(const std::string& portName) {
    if (startsWith(portName, "COM") || startsWith(portName, "\\\\.\\COM")) {
        return PortKind::Com;
    }
    if (startsWith(portName, "LPT")) {
        return PortKind::Lpt;
    }
    return portKindOfDevicePath(portName).value_or(PortKind::Usb);
}

PortDriver::PortDriver(DeviceFactory& devices, Clock& clock)
    : PortDriver(devices, clock, windowsVersionValue()) {}

PortDriver::PortDriver(DeviceFactory& devices, Clock& clock, uint32_t windowsVersion)
    : devices_(devices), clock_(clock), windowsVersion_(windowsVersion) {}

PortDriver::~PortDriver() = default;

int32_t PortDriver::configure(PortSettings settings) {
    // The old port closes as it is destroyed.
    port_ = std::monostate{};
    switch (portKindFor(settings.portName)) {
    case PortKind::Com:
        port_ = std::make_unique<SerialPort>(devices_, clock_);
        break;
    case PortKind::Lpt:
        port_ = std::make_unique<ParallelPort>(devices_, isWindows9x(windowsVersion_));
        break;
    case PortKind::Usb:
    case PortKind::Ethernet: // never a port name's kind here: TCP goes through NetPort
        port_ = std::make_unique<UsbPort>(devices_);
        break;
    }
    lastError_.clear();
    const int32_t result = dispatch(port_, 0, [&](auto& p) { return p.configure(settings); });
    if (result == 0) {
        noteFailure();
    }
    return result;
}

int32_t PortDriver::open(int32_t startReader) {
    const int32_t result = dispatch(port_, 0, [&](auto& p) { return p.open(startReader); });
    if (result == 0) {
        noteFailure();
    }
    return result;
}

int32_t PortDriver::write(const uint8_t* data, int32_t length) {
    const int32_t result = dispatch(port_, 0, [&](auto& p) { return p.write(data, length); });
    if (result < length) {
        noteFailure();
    }
    return result;
}

void PortDriver::noteFailure() {
    std::string reason = dispatch(port_, std::string(), [](auto& p) { return p.lastErrorText(); });
    if (!reason.empty()) {
        lastError_ = std::move(reason);
    }
}

int32_t PortDriver::read(uint8_t* buffer, int32_t length, int32_t waitMs) {
    return dispatch(port_, 0, [&](auto& p) { return p.read(buffer, length, waitMs); });
}

void PortDriver::close() {
    dispatch(port_, 0, [](auto& p) {
        p.close();
        return 0;
    });
}

std::optional<PortKind> PortDriver::kind() const {
    switch (port_.index()) {
    case 1:
        return PortKind::Com;
    case 2:
        return PortKind::Lpt;
    case 3:
        return PortKind::Usb;
    default:
        return std::nullopt;
    }
}
