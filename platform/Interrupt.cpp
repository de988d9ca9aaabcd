#include "platform/Interrupt.h"

#include <atomic>

namespace {
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "must be usable from a signal handler");
} // namespace

void requestInterrupt() noexcept {
    requested.store(true, std::memory_order_relaxed);
}

bool interruptRequested() noexcept {
    return requested.load(std::memory_order_relaxed);
}
