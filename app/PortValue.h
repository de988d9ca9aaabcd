#pragma once
// How a port value from "-p" or PORTTYPE is understood: upper-cased, then classified by its
// leading characters. Where the system takes device paths as port names (Linux), a device path
// is taken as it is, not upper-cased: "/dev/ttyUSB0" is of the COM type, "/dev/lp0" of the LPT
// type and "/dev/usb/lp0" of the USB type. A device that a port name leads to takes that name
// ("/dev/ttyS0" becomes "COM1", "/dev/lp0" "LPT1").
#include "models/PortKind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct PortValue {
    // Nothing when the value names no port.
    std::optional<PortKind> type;
    // COM and LPT: the device name to open ("COM10" and longer become "\\.\COM10"). USB: the
    // device path when one was given, else empty (discovery finds the printer).
    std::string portName;
};

PortValue classifyPortValue(std::string_view value);
