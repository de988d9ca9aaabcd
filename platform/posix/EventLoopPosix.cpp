// The Linux silent host: timers on CLOCK_MONOTONIC, waits in ppoll with nanosecond timeouts
// (no busy waiting, no drift), and termination signals seen as bytes on the process's signal
// pipe (TerminationSignalsPosix.cpp), so the handler itself does nothing but write(2).
#include "platform/EventLoop.h"
#include "platform/TerminationSignals.h"
#include "platform/posix/TerminationSignals.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace {

using Nanos = int64_t;

Nanos monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

class PosixEventLoop final : public EventLoop {
  public:
    // Signals are watched for the rest of the process from here on (main starts the watch
    // earlier still), so one that arrives while the download is being prepared, or after the
    // run while its result is written, is never lost nor ends the process.
    PosixEventLoop() {
        watchTerminationSignals();
        readFd_ = terminationSignalFd();
    }
    ~PosixEventLoop() override = default;
    PosixEventLoop(const PosixEventLoop&) = delete;
    PosixEventLoop& operator=(const PosixEventLoop&) = delete;

    void setTimer(int32_t id, uint32_t intervalMs) override {
        const Nanos now = monotonicNow();
        const Nanos interval = Nanos(intervalMs) * 1'000'000;
        const Nanos anchor = inTick_ ? tickDue_ : now;
        timers_[id] = Timer{std::max(anchor + interval, now), interval};
    }
    void killTimer(int32_t id) override { timers_.erase(id); }
    void setFineTimerResolution(bool) override {} // timers here are already exact
    void close() override { closed_ = true; }
    int interruptSignal() const override { return signal_; }

    End run(const std::function<void(int32_t)>& onTimer) override {
        // A termination request that came before run() ends it first, also when the engine
        // has already closed the window: a connect or open cut short by the signal fails, and
        // that failure is the interrupt's doing.
        if (waitForSignal(0)) {
            return End::Interrupted;
        }
        while (!closed_) {
            Nanos wait = -1;
            auto next = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it) {
                if (next == timers_.end() || it->second.due < next->second.due) {
                    next = it;
                }
            }
            const Nanos now = monotonicNow();
            if (next != timers_.end()) {
                wait = std::max<Nanos>(0, next->second.due - now);
            }
            if (waitForSignal(wait)) {
                return End::Interrupted;
            }
            if (next == timers_.end() || monotonicNow() < next->second.due) {
                continue; // woken early (EINTR): look again
            }
            const int32_t id = next->first;
            Timer& timer = next->second;
            tickDue_ = timer.due;
            // Window timers repeat until killed; the next due time keeps the pace.
            timer.due = std::max(timer.due + timer.interval, monotonicNow());
            inTick_ = true;
            onTimer(id);
            inTick_ = false;
        }
        return End::Closed;
    }

  private:
    struct Timer {
        Nanos due;
        Nanos interval;
    };

    // Waits up to `wait` ns (-1: no limit). True when a termination signal arrived.
    bool waitForSignal(Nanos wait) {
        if (readFd_ < 0) {
            return false;
        }
        pollfd pfd{readFd_, POLLIN, 0};
        timespec ts{};
        if (wait >= 0) {
            ts.tv_sec = time_t(wait / 1'000'000'000);
            ts.tv_nsec = long(wait % 1'000'000'000);
        }
        const int ready = ppoll(&pfd, 1, wait >= 0 ? &ts : nullptr, nullptr);
        if (ready > 0 && (pfd.revents & POLLIN) != 0) {
            unsigned char byte = 0;
            if (read(readFd_, &byte, 1) == 1) {
                signal_ = byte;
                return true;
            }
        }
        return false;
    }

    std::map<int32_t, Timer> timers_;
    int readFd_ = -1;
    bool closed_ = false;
    bool inTick_ = false;
    Nanos tickDue_ = 0;
    int signal_ = 0;
};

} // namespace

std::unique_ptr<EventLoop> makeSilentEventLoop() {
    return std::make_unique<PosixEventLoop>();
}
