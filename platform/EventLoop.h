#pragma once
// The host of a silent run: window-style timers (arm and kill by id, re-arming an id replaces
// it) delivered one at a time on the calling thread until the run is closed. On Linux a
// headless loop over a monotonic clock that also ends on SIGINT, SIGTERM or SIGHUP; on Windows
// a hidden 0 x 0 window whose SetTimer ticks drive the loop.
#include <cstdint>
#include <functional>
#include <memory>

class EventLoop {
  public:
    enum class End { Closed, Interrupted };

    virtual ~EventLoop() = default;

    // Linux: a timer re-armed from inside a tick counts its interval from that tick's due
    // time, not from the moment it is re-armed, so a chain of 10 ms ticks keeps its pace however
    // long each tick's work takes (a late tick fires at once, without a burst of catch-up ticks
    // after it). Windows: SetTimer on the hidden window, as the interactive window does.
    virtual void setTimer(int32_t id, uint32_t intervalMs) = 0;
    virtual void killTimer(int32_t id) = 0;
    // Asks for fine timer resolution while on (Windows rounds timers up to its system tick).
    virtual void setFineTimerResolution(bool on) = 0;
    // Ends run() once the current tick has returned; a close before run() makes it return at
    // once.
    virtual void close() = 0;
    // Delivers ticks until close() (Closed) or a termination request (Interrupted). A request
    // that came before run() makes it return Interrupted at once, also after a close().
    virtual End run(const std::function<void(int32_t id)>& onTimer) = 0;
    // The signal that interrupted the run, 0 if none.
    virtual int interruptSignal() const = 0;
};

std::unique_ptr<EventLoop> makeSilentEventLoop();
