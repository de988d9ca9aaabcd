#pragma once
// COMMTIMEOUTS semantics turned into the limits a poll() loop works with, so that POSIX
// devices end their transfers when a Windows driver would.
#include "platform/DeviceTypes.h"

#include <cstdint>

inline constexpr int64_t kNoLimit = -1;

struct ReadPlan {
    bool returnAtOnce = false;     // take what is there, never wait
    bool returnOnAnyByte = false;  // done as soon as at least one byte is in
    int64_t totalMs = kNoLimit;    // the whole read, from its start
    int64_t intervalMs = kNoLimit; // the longest quiet gap once bytes have started
};

// hasTimeouts false: the device was never given timeouts, so a read behaves like read(2) on a
// blocking descriptor: it waits for the first bytes and returns them.
ReadPlan readPlanFor(const CommTimeouts& timeouts, uint32_t length, bool hasTimeouts);
// The limit of a write of length bytes, kNoLimit when the timeouts give none.
int64_t writeLimitMs(const CommTimeouts& timeouts, uint32_t length, bool hasTimeouts);
