#include "platform/Interrupt.h"

#include <atomic>

namespace {
std::atomic<bool> requested{false};
std::atomic<int> bySignal{0};
static_assert(std::atomic<bool>::is_always_lock_free, "must be usable from a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "must be usable from a signal handler");
} // namespace

void requestInterrupt() noexcept {
    requested.store(true, std::memory_order_relaxed);
}

bool interruptRequested() noexcept {
    return requested.load(std::memory_order_relaxed);
}

void requestInterruptBySignal(int signal) noexcept {
    bySignal.store(signal, std::memory_order_relaxed);
    requestInterrupt();
}

int interruptingSignal() noexcept {
    return bySignal.load(std::memory_order_relaxed);
}
