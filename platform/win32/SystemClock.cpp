#include "platform/Clock.h"

#include <windows.h>

namespace {
class Win32Clock final : public Clock {
  public:
    uint32_t tickCount() override { return GetTickCount(); }
    void sleepMs(uint32_t ms) override { Sleep(ms); }
};
} // namespace

Clock& systemClock() {
    static Win32Clock clock;
    return clock;
}
