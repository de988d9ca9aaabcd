#pragma once
#include <cstdint>

// True on Windows 95, 98 and Me, judged from a GetVersion value.
bool isWindows9x(uint32_t versionValue);
// The same for the running system (false on hosts other than Windows).
bool isWindows9x();
