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
