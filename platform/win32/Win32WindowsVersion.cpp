#include "platform/WindowsVersion.h"

#include <windows.h>

uint32_t windowsVersionValue() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersion();
#pragma GCC diagnostic pop
}
