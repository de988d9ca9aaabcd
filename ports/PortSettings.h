#pragma once
// The one record that describes a printer connection. It is copied by value wherever it goes:
// start-up, the main window, the configuration dialog and PortDriver::configure each hold
// their own copy.
#include "platform/DeviceTypes.h"

#include <array>
#include <cstdint>
#include <string>

// COMMTIMEOUTS in its own field order; the same record the devices take. Only the parallel
// port applies it.
using PortTimeouts = CommTimeouts;

struct PortSettings {
    // "COM1", "\\.\COM10", "LPT1", a USB device interface path, or an IP address text.
    std::string portName;
    // Serial baud rate; the TCP port number when portName is an IP address.
    int32_t baudRate = 0;
    int32_t dataBits = 0;
    int32_t stopBits = 0;  // DCB code: 0 = one stop bit
    int32_t parity = 0;    // DCB code: 0 none, 1 odd, 2 even
    int32_t handshake = 0; // 0 = "DTR/DSR", 1 = "XON/XOFF"
    PortTimeouts timeouts;
    int32_t readBufferSize = 0;
    int32_t spareBufferSize = 0;
    // Carried with the record; no port reads them.
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    int32_t reserved3 = 0;
    int32_t reserved4 = 0;
    int32_t reserved5 = 0;

    friend bool operator==(const PortSettings&, const PortSettings&) = default;
};

// The values every connection gets besides its name and line settings, at start-up and after the
// configuration dialog alike: the timeouts, the buffer sizes and the carried reserved2..5.
// reserved1 is left alone: start-up sets it, the dialog hands it through.
inline void applyFixedPortDefaults(PortSettings& settings) {
    settings.timeouts = PortTimeouts{10, 10, 10, 0, 0};
    settings.readBufferSize = 8192;
    settings.spareBufferSize = 4096;
    settings.reserved2 = 0;
    settings.reserved3 = 3000;
    settings.reserved4 = 0;
    settings.reserved5 = 0;
}
