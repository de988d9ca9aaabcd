#pragma once
// Plain values shared by the device interfaces: the timeouts record and the outcome of one
// transfer. Kept free of any OS type so the core can build them.
#include <cstdint>

// The five COMMTIMEOUTS values in their own order, in milliseconds.
struct CommTimeouts {
    uint32_t readIntervalTimeout = 0;
    uint32_t readTotalTimeoutMultiplier = 0;
    uint32_t readTotalTimeoutConstant = 0;
    uint32_t writeTotalTimeoutMultiplier = 0;
    uint32_t writeTotalTimeoutConstant = 0;

    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

// One write or read: whether the call succeeded, and how many bytes moved either way (a failed
// transfer can still have moved some). nativeError is errno or GetLastError on failure.
struct IoResult {
    bool ok = false;
    uint32_t count = 0;
    int nativeError = 0;
};
