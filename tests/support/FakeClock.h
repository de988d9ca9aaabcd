#pragma once
// A virtual clock: sleepMs advances time at once and records the sleep, so limits of many
// seconds run in microseconds and the waits can be asserted exactly.
#include "platform/Clock.h"

#include <cstdint>
#include <mutex>
#include <vector>

class FakeClock final : public Clock {
  public:
    explicit FakeClock(uint32_t start = 0) : now_(start) {}

    uint32_t tickCount() override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void sleepMs(uint32_t ms) override {
        std::lock_guard lock(mutex_);
        now_ += ms;
        sleeps_.push_back(ms);
    }
    // Time passing without a sleep (a slow device call, say).
    void advance(uint32_t ms) {
        std::lock_guard lock(mutex_);
        now_ += ms;
    }
    std::vector<uint32_t> sleeps() const {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

  private:
    mutable std::mutex mutex_;
    uint32_t now_;
    std::vector<uint32_t> sleeps_;
};
