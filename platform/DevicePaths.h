#pragma once
// Device paths as port names. On Linux a user may name the printer's device node itself
// ("/dev/ttyUSB0", "/dev/lp0", "/dev/usb/lp0") wherever a port name is accepted; on Windows
// ports are only ever named in the system's own vocabulary (COM3, LPT1, USB discovery), so no
// text is a device path there.
#include <string>

enum class DevicePathKind { None, Serial, Parallel, Usb };

// What kind of printer device path names on this system, judged by its form (case-sensitive):
// /dev/tty*, /dev/pts/* and /dev/serial/* are serial lines, /dev/lp* parallel printer ports,
// /dev/usb/lp* USB printers. None for every other text, and for every text on Windows.
DevicePathKind devicePathKind(const std::string& path);

// The program's own name for the device a path names, when one leads to it: "COM1" for
// /dev/ttyS0, "\\.\COM12" for /dev/ttyS11, "LPT1" for /dev/lp0, or the COMn / LPTn whose
// MIRELITH_COMn / MIRELITH_LPTn variable names the path. "" when no name leads there (a USB
// serial adapter nobody mapped, a USB printer), and always "" on Windows.
std::string portNameForDevicePath(const std::string& path);
