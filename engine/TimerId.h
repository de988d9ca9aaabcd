#pragma once
// The six steps of a transfer, each one a one-shot window timer on the main window.
#include <cstdint>

enum class TimerId : int32_t {
    SendPacket = 1,  // next packet through the port
    SendNetwork = 2, // the whole image through the socket
    WriteFailed = 3,
    Settle = 4, // the bar creeps on while the printer takes in the firmware
    Finish = 5,
    CleanUp = 6,
};

// Interval of every step that is not a packet tick or a settle tick.
inline constexpr uint32_t stepIntervalMs = 10;
