// What a silent run tells its observers: the bytes the connection took, the settle countdown,
// and an end that matches the exit status, for each way a run can end.
#include "download/MainDialogSilentHost.h"
#include "download/SilentRunViews.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

namespace {

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class Recorder final : public RunObserver, public CallLog {
  public:
    void runStarted(const DownloadJob&) override { note(0, "started"); }
    void bytesSent(int64_t sent, int64_t total) override { note(0, "sent", sent, total); }
    void settling(uint32_t ticksLeft, uint32_t intervalMs) override {
        note(0, "settling", ticksLeft, intervalMs);
    }
    void runEnded(const RunEnd& e) override { ends.push_back(e); }
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
    void expectEnd(RunOutcome outcome, int status, int64_t bytesSent) const {
        EXPECT_EQ(end.outcome, outcome);
        EXPECT_EQ(end.exitStatus, status);
        EXPECT_EQ(end.bytesSent, bytesSent);
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
    // Model 1112 leaves the bar at 225 after a network send: 43 settle ticks of 200 ms.
    ASSERT_EQ(seen.calls.size(), 3u + 43u);
    EXPECT_THAT(std::vector(seen.calls.begin(), seen.calls.begin() + 4),
                ElementsAre("started", "sent 0 10000", "sent 10000 10000", "settling 42 200"));
    EXPECT_EQ(seen.calls.back(), "settling 0 200");
    expectEnd(RunOutcome::Sent, 0, 10000);
    // The virtual clock: 10 ms send step, the first settle step, 42 x 200, finish, clean-up.
    EXPECT_EQ(end.durationMs, 10u + 10u + 42u * 200u + 10u + 10u);
}

TEST_F(SilentRunObservation, AFailedWriteCountsWhatTheDeviceTookAndCarriesItsReason) {
    job.portSettings.portName = "COM1";
    printer.acceptScript = {4096, 1000};
    printer.errorText = "/dev/ttyS0: input/output error";
    start(10000);
    EXPECT_EQ(seen.calls.back(), "sent 5096 10000"); // and no settle phase
    expectEnd(RunOutcome::Failed, 2, 5096);
    EXPECT_EQ(end.reason, "/dev/ttyS0: input/output error");
}

TEST_F(SilentRunObservation, AFailedNetworkSendCountsWhatTheConnectionTook) {
    job.portSettings.portName = "127.0.0.1";
    printer.sendResult = -1;
    printer.acceptedBeforeFailure = 6000;
    start(10000);
    expectEnd(RunOutcome::Failed, 2, 6000);
}

TEST_F(SilentRunObservation, AnInterruptedRunSaysHowFarItGotAndWritesTheLog) {
    job.portSettings.portName = "COM1";
    start(10000, 2); // two packets, then the signal
    expectEnd(RunOutcome::Interrupted, 3, 8192);
    EXPECT_EQ(end.imageLength, 10000);
    EXPECT_EQ(flushes, 1);
}

TEST_F(SilentRunObservation, AnInvalidRunOnlyWritesTheLogAndEnds) {
    job.quitAtStart = 1;
    start(0);
    EXPECT_THAT(seen.calls, IsEmpty());
    expectEnd(RunOutcome::Invalid, 1, 0);
    EXPECT_EQ(flushes, 1);
}

// The views the entry points wire to a silent run: the result file says how the run ended, or
// that start-up found no USB printer and no run began; the log is written whenever the host asks.
TEST_F(SilentRunObservation, TheResultSaysHowTheRunEndedOrWhyNoneBegan) {
    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log(environment, files, desktop);
    FirmwareApp app({environment, files, desktop, log, {}, {}, {}});
    app.runMode = RunMode::Silent;
    app.modelCode = 1112;
    SilentRunViews::Settings settings;
    const std::string path = *(settings.resultPath = dir.path("r.json"));
    const auto finish = [&](SilentRunViews& views, int status) {
        std::string error;
        EXPECT_TRUE(views.finish(status, error)) << error;
        return (std::stringstream() << std::ifstream(path).rdbuf()).str();
    };
    SilentRunViews sent(settings, app, log, files, clock);
    end.outcome = RunOutcome::Sent;
    sent.observer().runEnded(end);
    log.append(LogLevel::Notice, "Download Complete");
    sent.flushLog();
    EXPECT_THAT(files.files[log.filePath()], HasSubstr("Download Complete"));
    const std::string sentResult = finish(sent, 0);
    EXPECT_THAT(sentResult, HasSubstr(R"("outcome": "sent")"));
    // Where the log is.
    EXPECT_EQ(nlohmann::json::parse(sentResult)["log_file"], log.filePath());

    SilentRunViews noPrinter(settings, app, log, files, clock);
    EXPECT_THAT(finish(noPrinter, 2),
                HasSubstr(R"("reason": "no attached USB printer belongs to model 1112")"));
}

} // namespace
