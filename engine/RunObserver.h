#pragma once
// What a person or a program may want to know of a silent run while it happens: that it
// starts, how many bytes the printer has taken, how long the printer still writes its firmware,
// and how the run ended. The engine and its silent host report these facts; terminal lines and
// the result file are made from them, never from a second reading of the engine's rules.
#include "app/DownloadJob.h"
#include "app/RunResult.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RunEnd {
    RunOutcome outcome = RunOutcome::Failed;
    // A silent USB run that found no printer of its model: nothing was tried.
    bool noUsbPrinter = false;
    int64_t bytesSent = 0;   // accepted by the connection
    int64_t imageLength = 0; // 0 when no image was loaded
    uint32_t durationMs = 0; // from runStarted, by the engine's clock
    // The connection's own account of its last failure ("/dev/ttyS0: permission denied"),
    // empty when it has none.
    std::string reason;
    int interruptSignal = 0;
    // With --verify: what the printer said before the transfer and after its restart, and
    // whether that counts as the update having taken (nothing without --verify).
    std::optional<std::string> versionBefore;
    std::optional<std::string> versionAfter;
    std::optional<bool> verified;
};

class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // A silent run begins with the job start-up prepared.
    virtual void runStarted(const DownloadJob& job) { (void)job; }
    // The connection has accepted `sent` bytes of the image's `total`. Reported once with 0
    // when sending begins, after every packet, and for a failed write with what it took.
    virtual void bytesSent(int64_t sent, int64_t total) {
        (void)sent;
        (void)total;
    }
    // The image is in the printer, which now writes it: `ticksLeft` steps of `intervalMs` to go.
    virtual void settling(uint32_t ticksLeft, uint32_t intervalMs) {
        (void)ticksLeft;
        (void)intervalMs;
    }
    // The image is written; the program waits for the printer to restart and say its version,
    // msLeft more at most.
    virtual void waitingForPrinter(uint32_t msLeft) { (void)msLeft; }
    // The run is over: also an invalid one, which never started, and one that found no USB
    // printer.
    virtual void runEnded(const RunEnd& end) { (void)end; }
};

// Passes every report on to several observers, in order.
class RunObservers final : public RunObserver {
  public:
    void add(RunObserver& observer) { observers_.push_back(&observer); }
    void runStarted(const DownloadJob& job) override {
        for (RunObserver* o : observers_) {
            o->runStarted(job);
        }
    }
    void bytesSent(int64_t sent, int64_t total) override {
        for (RunObserver* o : observers_) {
            o->bytesSent(sent, total);
        }
    }
    void settling(uint32_t ticksLeft, uint32_t intervalMs) override {
        for (RunObserver* o : observers_) {
            o->settling(ticksLeft, intervalMs);
        }
    }
    void waitingForPrinter(uint32_t msLeft) override {
        for (RunObserver* o : observers_) {
            o->waitingForPrinter(msLeft);
        }
    }
    void runEnded(const RunEnd& end) override {
        for (RunObserver* o : observers_) {
            o->runEnded(end);
        }
    }

  private:
    std::vector<RunObserver*> observers_;
};
