#include "ports/SerialLineRules.h"

namespace {
bool fitsByte(int32_t value) {
    return value >= 0 && value <= 255;
}
} // namespace

std::optional<SerialLineSettings> serialLineSettingsFor(const PortSettings& settings,
                                                        SerialLineSettings current) {
    if (!fitsByte(settings.dataBits) || !fitsByte(settings.parity) ||
        !fitsByte(settings.stopBits)) {
        return std::nullopt;
    }
    current.baudRate = static_cast<uint32_t>(settings.baudRate);
    current.byteSize = static_cast<uint8_t>(settings.dataBits);
    current.parity = static_cast<uint8_t>(settings.parity);
    current.stopBits = static_cast<uint8_t>(settings.stopBits);
    current.checkParity = settings.parity != 0;
    current.dsrSensitivity = false;
    current.txContinueOnXoff = false;
    current.discardNulls = false;
    switch (settings.handshake) {
    case kHandshakeDtrDsr:
        current.outxCtsFlow = false;
        current.outxDsrFlow = true;
        current.dtrControl = DtrControl::Handshake;
        current.rtsControl = RtsControl::Disable;
        current.outX = false;
        current.inX = false;
        return current;
    case kHandshakeXonXoff:
        // The "XON/XOFF" choice is software flow control both ways plus the CTS/RTS pair.
        current.outxCtsFlow = true;
        current.outxDsrFlow = false;
        current.dtrControl = DtrControl::Disable;
        current.rtsControl = RtsControl::Handshake;
        current.outX = true;
        current.inX = true;
        return current;
    default:
        return std::nullopt;
    }
}

bool printerReady(int32_t handshake, const ModemLines& lines) {
    if (handshake == kHandshakeDtrDsr) {
        return lines.dsr;
    }
    if (handshake == kHandshakeXonXoff) {
        return lines.cts;
    }
    return false;
}
