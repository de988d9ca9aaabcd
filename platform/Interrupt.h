#pragma once
// A process-wide "stop as soon as you can" request. A termination signal sets it (setting it is
// async-signal-safe); calls that may block for long, such as a TCP send to a printer that has
// stopped reading, look at it so an interrupted run can restore the system and end.
void requestInterrupt() noexcept;
bool interruptRequested() noexcept;
// The same request made by a termination signal, which it names (SIGTERM), and that signal;
// 0 when no signal asked.
void requestInterruptBySignal(int signal) noexcept;
int interruptingSignal() noexcept;

// How long a TCP send may go without the printer taking a single byte before it counts as
// failed: a stalled printer must not hold a silent run forever.
constexpr unsigned sendStallLimitMs = 30000;
