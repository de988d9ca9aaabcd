#pragma once
#include <string>

// The device node that a USB printer path names, or "" when it names none. Windows uses the
// device interface path as it is.
std::string resolveUsbDevicePath(const std::string& path);
