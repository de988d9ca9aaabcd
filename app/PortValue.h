#pragma once
// How a port value from "-p" or PORTTYPE is understood: upper-cased, then classified by its
// leading characters.
#include <cstdint>
#include <string>
#include <string_view>

enum class PortType : int32_t { None, Com, Lpt, Usb, Net };

struct PortValue {
    PortType type = PortType::None;
    // COM and LPT: the device name to open ("COM10" and longer become "\\.\COM10").
    std::string portName;
};

PortValue classifyPortValue(std::string_view value);
