#pragma once
// The four ways a printer is attached. The values are the port dialog's radio order.
#include <cstdint>

enum class PortKind : int32_t { Com = 0, Lpt = 1, Usb = 2, Ethernet = 3 };
