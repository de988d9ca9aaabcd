#pragma once
// Where the USB identifier file lives: "usbids.txt" in the directory of the running program,
// or /etc/mirelith/usbids.txt for a program installed in a system directory (Linux).
#include <string>

std::string usbIdFilePath();
