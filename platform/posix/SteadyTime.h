#pragma once
// Milliseconds since a moment of the steady clock (never set back).
#include <chrono>
#include <cstdint>

inline int64_t msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}
