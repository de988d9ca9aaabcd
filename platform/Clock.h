#pragma once
// Time as the core sees it: a millisecond tick count (wrapping like GetTickCount) and a
// blocking sleep. Tests use a virtual clock, so limits such as 20 s of write retries run at once.
#include <cstdint>

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
};

// The process's real clock (monotonic).
Clock& systemClock();
