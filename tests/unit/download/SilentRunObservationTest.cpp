// What a silent run tells its observers: the bytes the connection took, the settle countdown,
// and an end that matches the exit status, for each way a run can end.
#include "download/MainDialogSilentHost.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace enginefakes;

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

struct SilentRunObservation : ::testing::Test {
    void start(size_t imageBytes, size_t ticksBeforeSignal = SIZE_MAX) {
        job.silentRun = 1;
        job.modelCode = 1112;
        job.portSettings.baudRate = 9100;
        job.firmwarePath = dir.file("fw.fls", patternBytes(imageBytes));
        MainDialogSilentHost host({printer, printer, queues, reporter, clock,
                                   [&] {
                                       auto loop = std::make_unique<RecordingView>();
                                       loop->clock = &clock;
                                       loop->ticksBeforeSignal = ticksBeforeSignal;
                                       return loop;
                                   },
                                   [&] { ++flushes; }},
                                  exitStatus);
        host.setRunObserver(seen);
        host.run(job);
        ASSERT_EQ(seen.ends.size(), 1u);
        end = seen.ends[0];
        EXPECT_EQ(end.exitStatus, exitStatus);
    }
    ScratchDir dir;
    DownloadJob job;
    ScriptedPrinter printer;
    RecordingQueues queues;
    RecordingReporter reporter;
    FakeClock clock{1000};
    Recorder seen;
    RunEnd end;
    int exitStatus = -1;
    int flushes = 0;
};

TEST_F(SilentRunObservation, ANetworkRunCountsDownTheSettlePhaseAndEndsSent) {
    job.portSettings.portName = "127.0.0.1";
    start(10000);
    EXPECT_EQ(seen.starts, 1);
    EXPECT_EQ(seen.sends, (std::vector<std::pair<int64_t, int64_t>>{{0, 10000}, {10000, 10000}}));
    // Model 1112 leaves the bar at 225 after a network send: 43 settle ticks of 200 ms.
    ASSERT_EQ(seen.settles.size(), 43u);
    EXPECT_EQ(seen.settles.front(), 42u);
    EXPECT_EQ(seen.settles.back(), 0u);
    EXPECT_EQ(seen.settleInterval, 200u);
    EXPECT_EQ(end.outcome, RunOutcome::Sent);
    EXPECT_EQ(end.exitStatus, 0);
    EXPECT_EQ(end.bytesSent, 10000);
    // The virtual clock: 10 ms send step, the first settle step, 42 x 200, finish, clean-up.
    EXPECT_EQ(end.durationMs, 10u + 10u + 42u * 200u + 10u + 10u);
}

TEST_F(SilentRunObservation, AFailedWriteCountsWhatTheDeviceTookAndCarriesItsReason) {
    job.portSettings.portName = "COM1";
    printer.acceptScript = {4096, 1000};
    printer.errorText = "/dev/ttyS0: input/output error";
    start(10000);
    EXPECT_EQ(seen.sends.back(), (std::pair<int64_t, int64_t>{5096, 10000}));
    EXPECT_EQ(end.outcome, RunOutcome::Failed);
    EXPECT_EQ(end.exitStatus, 2);
    EXPECT_EQ(end.bytesSent, 5096);
    EXPECT_EQ(end.reason, "/dev/ttyS0: input/output error");
    EXPECT_TRUE(seen.settles.empty());
}

TEST_F(SilentRunObservation, AFailedNetworkSendCountsWhatTheConnectionTook) {
    job.portSettings.portName = "127.0.0.1";
    printer.sendResult = -1;
    printer.acceptedBeforeFailure = 6000;
    start(10000);
    EXPECT_EQ(end.outcome, RunOutcome::Failed);
    EXPECT_EQ(end.bytesSent, 6000);
}

TEST_F(SilentRunObservation, AnInterruptedRunSaysHowFarItGotAndWritesTheLog) {
    job.portSettings.portName = "COM1";
    start(10000, 2); // two packets, then the signal
    EXPECT_EQ(end.outcome, RunOutcome::Interrupted);
    EXPECT_EQ(end.exitStatus, 3);
    EXPECT_EQ(end.bytesSent, 8192);
    EXPECT_EQ(end.imageLength, 10000);
    EXPECT_EQ(flushes, 1);
}

TEST_F(SilentRunObservation, AnInvalidRunOnlyWritesTheLogAndEnds) {
    job.quitAtStart = 1;
    start(0);
    EXPECT_EQ(seen.starts, 0);
    EXPECT_EQ(end.outcome, RunOutcome::Invalid);
    EXPECT_EQ(end.exitStatus, 1);
    EXPECT_EQ(flushes, 1);
}

} // namespace
