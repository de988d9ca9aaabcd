#pragma once
// The system's own words for a GetLastError or WSAGetLastError code, and the reason a device
// could not be opened, for telling a user why a port failed.
#include <string>

#include <windows.h>

// "The system cannot find the file specified" (no trailing period or line end); the code in
// hexadecimal when the system has no text for it.
std::string win32ErrorText(DWORD code);

// "<device>: <reason>" for a CreateFileA that failed with code.
std::string win32DeviceOpenReason(const std::string& device, DWORD code);
