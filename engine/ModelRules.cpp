#include "engine/ModelRules.h"

#include "ports/PortDriver.h"

PortKind portKindForName(const std::string& portName) {
    if (portName.starts_with("COM")) {
        return PortKind::Com;
    }
    if (portName.starts_with("LPT")) {
        return PortKind::Lpt;
    }
    if (portName.starts_with("\\")) {
        return PortKind::Usb;
    }
    // A device path given as the port (Linux) is driven by PortDriver as what its form says.
    return portKindOfDevicePath(portName).value_or(PortKind::Ethernet);
}

uint32_t packetSizeFor(PortKind kind, int32_t modelCode) {
    return kind == PortKind::Usb && hasModelFlag(modelCode, kSmallUsbPackets) ? 64 : 4096;
}
