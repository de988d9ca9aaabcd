#include "platform/WindowsVersion.h"

// Answer as Windows 10 build 19045 does, so NT-family behaviour applies.
uint32_t windowsVersionValue() {
    return (19045u << 16) | 0x000Au;
}
