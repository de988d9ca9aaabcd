#pragma once
// A CUPS queue's device URI seen as the Windows port name the rest of the program knows:
// serial:/dev/ttyS0 is "COM1:", parallel:/dev/lp0 is "LPT1:" (following the same per-port
// device overrides as the ports themselves), a USB printer is "USB001", "USB002", ... in the
// order its queues are listed, and any other URI stays as it is.
#include "platform/posix/DeviceNames.h"

#include <string>

bool isUsbDeviceUri(const std::string& uri);

// usbPosition: the queue's 1-based position among the listed USB queues.
std::string portNameForDeviceUri(const std::string& uri, int usbPosition, const EnvLookup& env);
