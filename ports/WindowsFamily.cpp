#include "ports/WindowsFamily.h"

#include "platform/WindowsVersion.h"

bool isWindows9x(uint32_t versionValue) {
    const uint32_t highWord = versionValue >> 16;
    if ((versionValue & 0x80000000u) == 0) {
        // NT family: the high word is the build number, which is never 0 on a real system.
        return highWord == 0;
    }
    const uint32_t majorVersion = versionValue & 0xFFu;
    if (majorVersion < 4) {
        // Win32s on Windows 3.x reports a zero build once bit 15 is cleared.
        return (highWord & 0x7FFFu) == 0;
    }
    return true;
}

bool isWindows9x() {
    return isWindows9x(windowsVersionValue());
}
