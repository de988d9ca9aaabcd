// What a silent run tells its observers: the bytes the connection took, the settle countdown,
// and an end that matches the exit status, for each way a run can end.
#include "download/MainDialogSilentHost.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace enginefakes;

// Delivers the one armed timer in virtual time; can be told to stop as a signal would.
class VirtualLoop final : public EventLoop {
  public:
    VirtualLoop(FakeClock& clock, size_t interruptAfter) : clock_(clock), left_(interruptAfter) {}
    void setTimer(int32_t id, uint32_t intervalMs) override { timers_[id] = intervalMs; }
    void killTimer(int32_t id) override { timers_.erase(id); }
    void setFineTimerResolution(bool) override {}
    void close() override { closed_ = true; }
    End run(const std::function<void(int32_t)>& onTimer) override {
        while (!closed_ && !timers_.empty()) {
            if (left_-- == 0) {
                interrupted_ = true;
                return End::Interrupted;
            }
            const auto [id, interval] = *timers_.begin();
            clock_.advance(interval);
            onTimer(id);
        }
        return End::Closed;
    }
    int interruptSignal() const override { return interrupted_ ? 15 : 0; }

  private:
    FakeClock& clock_;
    size_t left_;
    bool closed_ = false;
    bool interrupted_ = false;
    std::map<int32_t, uint32_t> timers_;
};

class Recorder final : public RunObserver {
  public:
    void runStarted(const DownloadJob&) override { ++starts; }
    void bytesSent(int64_t sent, int64_t total) override { sends.push_back({sent, total}); }
    void settling(uint32_t ticksLeft, uint32_t intervalMs) override {
        settles.push_back(ticksLeft);
        settleInterval = intervalMs;
    }
    void runEnded(const RunEnd& e) override { ends.push_back(e); }
    int starts = 0;
    std::vector<std::pair<int64_t, int64_t>> sends;
    std::vector<uint32_t> settles;
    uint32_t settleInterval = 0;
    std::vector<RunEnd> ends;
};

class ExplainingPort final : public PrinterPort {
  public:
    int32_t configure(PortSettings s) override { return inner.configure(s); }
    int32_t open(int32_t r) override { return inner.open(r); }
    int32_t write(const uint8_t* d, int32_t n) override { return inner.write(d, n); }
    int32_t read(uint8_t* b, int32_t n, int32_t w) override { return inner.read(b, n, w); }
    void close() override { inner.close(); }
    std::string lastErrorText() const override { return "/dev/ttyS0: input/output error"; }
    ScriptedPort inner;
};

struct SilentRun {
    explicit SilentRun(size_t interruptAfter = SIZE_MAX) : interruptAfter(interruptAfter) {
        job.silentRun = 1;
        job.modelCode = 1112;
    }
    void start(size_t imageBytes) {
        job.firmwarePath = dir.file("fw.fls", patternBytes(imageBytes));
        MainDialogSilentHost host(
            {port, socket, queues, reporter, clock,
             [&] { return std::make_unique<VirtualLoop>(clock, interruptAfter); },
             [&] { ++flushes; }},
            exitStatus);
        host.setRunObserver(seen);
        host.run(job);
    }
    ScratchDir dir;
    size_t interruptAfter;
    DownloadJob job;
    ExplainingPort port;
    ScriptedSocket socket;
    RecordingQueues queues;
    RecordingReporter reporter;
    FakeClock clock{1000};
    Recorder seen;
    int exitStatus = -1;
    int flushes = 0;
};

TEST(SilentRunObservation, ANetworkRunCountsDownTheSettlePhaseAndEndsSent) {
    SilentRun run;
    run.job.portSettings.portName = "127.0.0.1";
    run.job.portSettings.baudRate = 9100;
    run.start(10000);
    EXPECT_EQ(run.seen.starts, 1);
    EXPECT_EQ(run.seen.sends,
              (std::vector<std::pair<int64_t, int64_t>>{{0, 10000}, {10000, 10000}}));
    // Model 1112 leaves the bar at 225 after a network send: 43 settle ticks of 200 ms.
    ASSERT_EQ(run.seen.settles.size(), 43u);
    EXPECT_EQ(run.seen.settles.front(), 42u);
    EXPECT_EQ(run.seen.settles.back(), 0u);
    EXPECT_EQ(run.seen.settleInterval, 200u);
    ASSERT_EQ(run.seen.ends.size(), 1u);
    const RunEnd& end = run.seen.ends[0];
    EXPECT_EQ(end.outcome, RunOutcome::Sent);
    EXPECT_EQ(end.exitStatus, 0);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(end.bytesSent, 10000);
    // The virtual clock: 10 ms send step, the first settle step, 42 x 200, finish, clean-up.
    EXPECT_EQ(end.durationMs, 10u + 10u + 42u * 200u + 10u + 10u);
}

TEST(SilentRunObservation, AFailedWriteCountsWhatTheDeviceTookAndCarriesItsReason) {
    SilentRun run;
    run.job.portSettings.portName = "COM1";
    run.port.inner.acceptScript = {4096, 1000};
    run.start(10000);
    EXPECT_EQ(run.seen.sends.back(), (std::pair<int64_t, int64_t>{5096, 10000}));
    ASSERT_EQ(run.seen.ends.size(), 1u);
    EXPECT_EQ(run.seen.ends[0].outcome, RunOutcome::Failed);
    EXPECT_EQ(run.seen.ends[0].exitStatus, 2);
    EXPECT_EQ(run.seen.ends[0].bytesSent, 5096);
    EXPECT_EQ(run.seen.ends[0].reason, "/dev/ttyS0: input/output error");
    EXPECT_TRUE(run.seen.settles.empty());
}

TEST(SilentRunObservation, AFailedNetworkSendCountsWhatTheConnectionTook) {
    SilentRun run;
    run.job.portSettings.portName = "127.0.0.1";
    run.job.portSettings.baudRate = 9100;
    run.socket.sendResult = -1;
    run.socket.acceptedBeforeFailure = 6000;
    run.start(10000);
    ASSERT_EQ(run.seen.ends.size(), 1u);
    EXPECT_EQ(run.seen.ends[0].outcome, RunOutcome::Failed);
    EXPECT_EQ(run.seen.ends[0].bytesSent, 6000);
}

TEST(SilentRunObservation, AnInterruptedRunSaysHowFarItGot) {
    SilentRun run(2); // two packets, then the signal
    run.job.portSettings.portName = "COM1";
    run.start(10000);
    ASSERT_EQ(run.seen.ends.size(), 1u);
    EXPECT_EQ(run.seen.ends[0].outcome, RunOutcome::Interrupted);
    EXPECT_EQ(run.seen.ends[0].exitStatus, 3);
    EXPECT_EQ(run.seen.ends[0].bytesSent, 8192);
    EXPECT_EQ(run.seen.ends[0].imageLength, 10000);
    EXPECT_EQ(run.flushes, 1);
}

TEST(SilentRunObservation, AnInvalidRunOnlyEnds) {
    SilentRun run;
    run.job.silentRun = 0;
    run.job.quitAtStart = 1;
    run.start(0);
    EXPECT_EQ(run.seen.starts, 0);
    ASSERT_EQ(run.seen.ends.size(), 1u);
    EXPECT_EQ(run.seen.ends[0].outcome, RunOutcome::Invalid);
    EXPECT_EQ(run.seen.ends[0].exitStatus, 1);
}

} // namespace
