#include "platform/posix/CommDeadlines.h"

namespace {
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
}

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
    const int64_t total = static_cast<int64_t>(t.readTotalTimeoutMultiplier) * length +
                          static_cast<int64_t>(t.readTotalTimeoutConstant);
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
    const int64_t total = static_cast<int64_t>(t.writeTotalTimeoutMultiplier) * length +
                          static_cast<int64_t>(t.writeTotalTimeoutConstant);
    return total > 0 ? total : kNoLimit;
}
