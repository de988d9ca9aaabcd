#pragma once
#include <string>

// The device node that a USB printer path names, or "" when it names none. Windows uses the
// device interface path as it is.
std::string resolveUsbDevicePath(const std::string& path);

// The path by which the same USB printer is found again after it restarts: for a USB printer's
// device node (/dev/usb/lp1, which the printer may not get back), the device interface path of
// the printer now bound to it (its vendor and product ids with its serial number, or its bus
// port where it shows none); any other path as it is.
std::string stableUsbPath(const std::string& path);
