#pragma once
// A connection as a person would name it, for telling the user (and a result file) where a
// download goes: the port ("COM3", "LPT1", "USB", "NET", or a device path given as the port)
// and the device it leads to on this system: /dev/ttyS2 (or the MIRELITH_COM3 device) for COM3
// on Linux and COM3 itself on Windows, a USB printer's /dev/usb/lpN node on Linux and its
// device interface path on Windows, "192.0.2.7:9100" for an address.
#include <cstdint>
#include <string>

struct PortDescription {
    std::string port;
    std::string device; // empty when the name leads to no device
};

// portName and tcpPort as the engine gets them (PortSettings.portName and baudRate).
PortDescription describePort(const std::string& portName, int32_t tcpPort);
