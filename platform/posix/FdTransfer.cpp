#include "platform/posix/FdTransfer.h"
#include "platform/Interrupt.h"
#include "platform/posix/SteadyTime.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace {
using Steady = std::chrono::steady_clock;
constexpr int64_t kAbandonSliceMs = 10;
// Even without an abandon flag, long waits are cut into slices so that a process-wide
// interrupt request (a termination signal) is noticed within this time.
constexpr int64_t kInterruptSliceMs = 100;

// Waits for events on fd for at most waitMs (kNoLimit: no limit). False on a poll failure.
bool waitFor(int fd, short events, int64_t waitMs, const std::atomic<bool>* abandon) {
    const int64_t slice = abandon != nullptr ? kAbandonSliceMs : kInterruptSliceMs;
    waitMs = waitMs == kNoLimit ? slice : std::min(waitMs, slice);
    pollfd p{fd, events, 0};
    // Clamped: a huge limit must not wrap into poll's negative "no limit".
    const int timeout =
        waitMs == kNoLimit ? -1 : static_cast<int>(std::clamp<int64_t>(waitMs, 0, 1 << 30));
    const int rc = ::poll(&p, 1, timeout);
    return rc >= 0 || errno == EINTR;
}

bool abandoned(const std::atomic<bool>* abandon) {
    return (abandon != nullptr && abandon->load()) || interruptRequested();
}
} // namespace

IoResult writeFd(int fd, const uint8_t* data, uint32_t length, int64_t limitMs,
                 const std::atomic<bool>* abandon) {
    const auto start = Steady::now();
    IoResult result;
    while (result.count < length) {
        const ssize_t n = ::write(fd, data + result.count, length - result.count);
        if (n > 0) {
            result.count += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            result.nativeError = errno;
            return result;
        }
        // Like an expired write timeout: whatever went out so far, and a success.
        const int64_t left = limitMs == kNoLimit ? kNoLimit : limitMs - msSince(start);
        if ((limitMs != kNoLimit && left <= 0) || abandoned(abandon)) {
            result.ok = true;
            return result;
        }
        if (!waitFor(fd, POLLOUT, left, abandon)) {
            result.nativeError = errno;
            return result;
        }
    }
    result.ok = true;
    return result;
}

IoResult readFd(int fd, uint8_t* buffer, uint32_t length, const ReadPlan& plan,
                const std::atomic<bool>* abandon) {
    const auto start = Steady::now();
    auto lastByte = start;
    IoResult result;
    while (result.count < length) {
        const ssize_t n = ::read(fd, buffer + result.count, length - result.count);
        if (n > 0) {
            result.count += static_cast<uint32_t>(n);
            lastByte = Steady::now();
            if (plan.returnOnAnyByte) {
                break;
            }
            continue;
        }
        if (n == 0) {
            break; // end of file: the other side is gone
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            result.nativeError = errno;
            return result;
        }
        if (plan.returnAtOnce || abandoned(abandon)) {
            break;
        }
        int64_t wait = kNoLimit;
        if (plan.totalMs != kNoLimit) {
            wait = plan.totalMs - msSince(start);
        }
        if (plan.intervalMs != kNoLimit && result.count > 0) {
            const int64_t gapLeft = plan.intervalMs - msSince(lastByte);
            wait = wait == kNoLimit ? gapLeft : std::min(wait, gapLeft);
        }
        if (wait != kNoLimit && wait <= 0) {
            break;
        }
        if (!waitFor(fd, POLLIN, wait, abandon)) {
            result.nativeError = errno;
            return result;
        }
    }
    result.ok = true;
    return result;
}
