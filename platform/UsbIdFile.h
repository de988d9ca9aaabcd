#pragma once
// Where the USB identifier file lives: "usbids.txt" in the directory of the running program.
#include <string>

std::string usbIdFilePath();
