#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace {
class PosixClock final : public Clock {
  public:
    uint32_t tickCount() override {
        using namespace std::chrono;
        // Truncated to 32 bits on purpose: callers compare tick differences unsigned.
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void sleepMs(uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};
} // namespace

Clock& systemClock() {
    static PosixClock clock;
    return clock;
}
