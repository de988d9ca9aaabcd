#pragma once
// What a serial port asks of its line: the settings for each handshake choice and the fixed
// timeouts. Pure functions, so the rules can be checked without a device.
#include "platform/DeviceTypes.h"
#include "platform/SerialDevice.h"
#include "ports/PortSettings.h"

#include <optional>

// Handshake codes of PortSettings::handshake.
inline constexpr int32_t kHandshakeDtrDsr = 0;
inline constexpr int32_t kHandshakeXonXoff = 1;

// current with the port's choices laid over it; fields the port does not choose keep their
// value. None when the handshake code is unknown or a value does not fit its field.
std::optional<SerialLineSettings> serialLineSettingsFor(const PortSettings& settings,
                                                        SerialLineSettings current);

// The serial port ignores PortSettings::timeouts and always uses these: a read returns soon
// after the line goes quiet, and a write gives up after 3000 ms plus 5 ms a byte.
inline constexpr CommTimeouts kSerialTimeouts{10, 10, 100, 5, 3000};

// Whether the printer is asserting the line the handshake needs (DSR for DTR/DSR, CTS for
// XON/XOFF).
bool printerReady(int32_t handshake, const ModemLines& lines);
