#include "platform/posix/CommDeadlines.h"

#include <limits>

namespace {
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// multiplier * length + constant, saturated: the product of two 32-bit values can pass int64.
int64_t totalMs(uint32_t multiplier, uint32_t length, uint32_t constant) {
    const uint64_t product = static_cast<uint64_t>(multiplier) * length;
    const uint64_t sum = product + constant;
    const uint64_t cap = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    return sum < product || sum > cap ? std::numeric_limits<int64_t>::max()
                                      : static_cast<int64_t>(sum);
}
} // namespace

ReadPlan readPlanFor(const CommTimeouts& t, uint32_t length, bool hasTimeouts) {
    ReadPlan plan;
    if (!hasTimeouts) {
        plan.returnOnAnyByte = true;
        return plan;
    }
    if (t.readIntervalTimeout == kMaxDword && t.readTotalTimeoutMultiplier == 0 &&
        t.readTotalTimeoutConstant == 0) {
        plan.returnAtOnce = true;
        return plan;
    }
    if (t.readIntervalTimeout == kMaxDword && t.readTotalTimeoutMultiplier == kMaxDword &&
        t.readTotalTimeoutConstant > 0 && t.readTotalTimeoutConstant < kMaxDword) {
        plan.returnOnAnyByte = true;
        plan.totalMs = t.readTotalTimeoutConstant;
        return plan;
    }
    const int64_t total = totalMs(t.readTotalTimeoutMultiplier, length, t.readTotalTimeoutConstant);
    if (total > 0) {
        plan.totalMs = total;
    }
    if (t.readIntervalTimeout != 0 && t.readIntervalTimeout != kMaxDword) {
        plan.intervalMs = t.readIntervalTimeout;
    }
    return plan;
}

int64_t writeLimitMs(const CommTimeouts& t, uint32_t length, bool hasTimeouts) {
    if (!hasTimeouts) {
        return kNoLimit;
    }
    const int64_t total =
        totalMs(t.writeTotalTimeoutMultiplier, length, t.writeTotalTimeoutConstant);
    return total > 0 ? total : kNoLimit;
}
