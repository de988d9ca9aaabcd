// What a silent run tells its observers (the bytes the connection took, the settle countdown)
// and the end it returns, with the exit status that follows from it, for each way a run ends.
#include "silentrun/MainDialogSilentHost.h"
#include "silentrun/SilentRunViews.h"
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

namespace {

using namespace enginefakes;
using namespace std::string_literals;
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
    MainDialogSilentHost makeHost(size_t ticksBeforeSignal) {
        return MainDialogSilentHost({printer, printer, queues, reporter, clock,
                                     [this, ticksBeforeSignal] {
                                         auto loop = std::make_unique<RecordingView>();
                                         loop->clock = &clock;
                                         loop->ticksBeforeSignal = ticksBeforeSignal;
                                         return loop;
                                     },
                                     [&] { ++flushes; }});
    }
    void start(size_t imageBytes, size_t ticksBeforeSignal = SIZE_MAX) {
        job.silentRun = 1;
        job.modelCode = 1112;
        job.portSettings.baudRate = 9100;
        job.firmwarePath = dir.file("fw.fls", patternBytes(imageBytes));
        MainDialogSilentHost host = makeHost(ticksBeforeSignal);
        host.setRunObserver(seen);
        end = host.run(job);
        EXPECT_THAT(seen.ends, IsEmpty()); // returned to the entry point, not reported
    }
    void expectEnd(RunOutcome outcome, int status, int64_t bytesSent) const {
        EXPECT_EQ(end.outcome, outcome);
        EXPECT_EQ(exitStatusFor(end.outcome), status);
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

// Bytes the connection took but the printer never acknowledged are not counted as sent.
TEST_F(SilentRunObservation, AFailedNetworkSendCountsWhatThePrinterAcknowledged) {
    job.portSettings.portName = "127.0.0.1";
    printer.sendResult = -1;
    printer.acceptedBeforeFailure = 6000;
    printer.deliveries = {{4500, true, true}};
    start(10000);
    expectEnd(RunOutcome::Failed, 2, 4500);
}

// A send that succeeds only means the system's buffers took the image. The printer's
// acknowledgement is watched through the settle phase and past it.
TEST_F(SilentRunObservation, ANetworkRunIsSentOnlyWhenThePrinterAcknowledgedEveryByte) {
    job.portSettings.portName = "127.0.0.1";
    // Reset on the 20th look (a settle tick), after the printer acknowledged 7000 bytes.
    printer.errorText = "127.0.0.1:9100: the printer broke the connection (reset)";
    for (int i = 0; i < 19; ++i) {
        printer.deliveries.push_back({i == 0 ? 4000 : 7000, true, false});
    }
    printer.deliveries.push_back({7000, true, true});
    start(10000);
    expectEnd(RunOutcome::Failed, 2, 7000);
    EXPECT_EQ(end.reason, printer.errorText);
    EXPECT_THAT(reporter.texts(), ElementsAre("Complete!!", "Write Failed!"));
    EXPECT_EQ(seen.calls.back(), "sent 7000 10000");
    EXPECT_EQ(printer.calls.back(), "close");
    // The send tick, 18 settle ticks, then the failure and the clean-up: nothing waits longer.
    EXPECT_EQ(end.durationMs, 10u + 10u + 18u * 200u + 10u + 10u);
}

TEST_F(SilentRunObservation, BytesLeftUnacknowledgedForTheStallLimitFailTheRun) {
    job.portSettings.portName = "127.0.0.1";
    printer.deliveries = {{9000, true, false}};
    start(10000);
    expectEnd(RunOutcome::Failed, 2, 9000);
    EXPECT_EQ(end.reason,
              "127.0.0.1:9100: the printer acknowledged 9000 of 10000 bytes and took no more for "
              "30 s");
    EXPECT_THAT(reporter.texts(), ElementsAre("Complete!!", "Write Failed!"));
    // Acknowledged at 10 ms; the settle phase ends at 8420 ms and its ticks go on, 200 ms
    // apart, until the first one 30 s after the last acknowledgement (30020 ms).
    EXPECT_EQ(end.durationMs, 30020u + 10u + 10u);
}

TEST_F(SilentRunObservation, APrinterThatDrainsSlowlyButWithinTheStallLimitHasItsImage) {
    job.portSettings.portName = "127.0.0.1";
    // Half at once, then nothing for 98 settle ticks (19.6 s, past the 8.6 s settle phase), then
    // a little more, then the rest.
    printer.deliveries.assign(100, {5000, true, false});
    printer.deliveries.insert(printer.deliveries.end(), 10, {7000, true, false});
    printer.deliveries.push_back({10000, true, false});
    start(10000);
    expectEnd(RunOutcome::Sent, 0, 10000);
    EXPECT_THAT(reporter.texts(), ElementsAre("Complete!!")); // the start's trace only
    EXPECT_EQ(seen.calls[2], "sent 5000 10000");
    // Once the countdown is over the count is what a terminal shows.
    const auto countdownOver = std::find(seen.calls.begin(), seen.calls.end(), "settling 0 200");
    EXPECT_THAT(std::vector(countdownOver + 1, seen.calls.end()),
                ElementsAre("sent 7000 10000", "sent 10000 10000"));
    EXPECT_EQ(end.durationMs, 10u + 10u + 109u * 200u + 10u + 10u);
}

// A system that counts no acknowledgements (older Windows, Wine) can still see a reset; a
// connection that lasts the settle phase is taken as delivered, on the same schedule.
TEST_F(SilentRunObservation, WithoutACountOnlyAResetFailsANetworkRun) {
    job.portSettings.portName = "127.0.0.1";
    printer.deliveries = {{2000, false, false}};
    start(10000);
    expectEnd(RunOutcome::Sent, 0, 10000);
    EXPECT_EQ(end.durationMs, 10u + 10u + 42u * 200u + 10u + 10u);

    printer.calls.clear();
    printer.deliveries = {{2000, false, false}, {2000, false, false}, {2000, false, true}};
    start(10000);
    expectEnd(RunOutcome::Failed, 2, 2000);
}

TEST_F(SilentRunObservation, AnInterruptedRunSaysHowFarItGotAndWritesTheLog) {
    job.portSettings.portName = "COM1";
    start(10000, 2); // two packets, then the signal
    expectEnd(RunOutcome::Interrupted, 3, 8192);
    EXPECT_EQ(end.imageLength, 10000);
    EXPECT_EQ(flushes, 1);
}

// With --verify the version before is asked on a connection of its own before the transfer;
// a model whose transfer asks it anyway (310, 312) is not asked twice: the transfer's answer is
// the version before. After the restart the printer is asked again.
TEST_F(SilentRunObservation, AVerifiedRunAsksTheVersionBeforeOnceAndAfterTheRestart) {
    class Answers final : public PrinterReplies {
      public:
        explicit Answers(std::string version) : reply_("_" + version + std::string(1, '\0')) {}
        bool send(const uint8_t*, int32_t) override { return true; }
        int32_t receive(uint8_t* buffer, int32_t length, int32_t) override {
            const auto n = std::min<int32_t>(length, int32_t(reply_.size()));
            std::copy(reply_.begin(), reply_.begin() + n, buffer);
            reply_.erase(0, size_t(n));
            return n;
        }

      private:
        std::string reply_;
    };
    for (const int32_t model : {1112, 310}) {
        SCOPED_TRACE(model);
        std::vector<std::string> connections; // what the printer said when each was made
        std::string nowRuns = "1.35";
        job = {};
        job.silentRun = 1;
        job.modelCode = model;
        job.portSettings.portName = "COM1";
        job.firmwarePath = dir.file("fw.fls", model == 310 ? fpgaImage(0) : patternBytes(300));
        printer = {};
        printer.replies = {"_1.35\0"s, "_3000\0"s}; // the FPGA check's dialogue (310 only)
        MainDialogSilentHost host({printer,
                                   printer,
                                   queues,
                                   reporter,
                                   clock,
                                   [&] {
                                       auto loop = std::make_unique<RecordingView>();
                                       loop->clock = &clock;
                                       return loop;
                                   },
                                   [] {},
                                   {true, "2.00", 10},
                                   [&](const PortSettings&) -> std::unique_ptr<PrinterReplies> {
                                       connections.push_back(nowRuns);
                                       return std::make_unique<Answers>(nowRuns);
                                   }});
        host.setRunObserver(seen);
        if (model == 1112) {
            end = host.run(job);
            EXPECT_EQ(connections, (std::vector<std::string>{"1.35", "1.35"}));
            EXPECT_EQ(end.outcome, RunOutcome::Unverified); // still 1.35, 2.00 expected
        } else {
            nowRuns = "2.00"; // the restart is not seen by the fake: only the reply counts
            end = host.run(job);
            EXPECT_EQ(connections, (std::vector<std::string>{"2.00"})); // after the restart only
            EXPECT_EQ(end.outcome, RunOutcome::Sent);
            EXPECT_EQ(end.verified, true);
        }
        EXPECT_EQ(end.versionBefore, "1.35");
    }
}

// Plans that start no transfer end at once: the log is written, nothing is opened.
TEST_F(SilentRunObservation, ARefusedRunAndOneWithoutAUsbPrinterOnlyWriteTheLogAndEnd) {
    MainDialogSilentHost host = makeHost(SIZE_MAX);
    host.setRunObserver(seen);
    StartupPlan plan{PlannedRun::Invalid, {}, false};
    plan.job.refusal = "-p FOO: not a port";
    end = runUnattended(plan, host, [&] { ++flushes; });
    EXPECT_THAT(seen.calls, IsEmpty());
    EXPECT_THAT(printer.calls, IsEmpty());
    expectEnd(RunOutcome::Invalid, 1, 0);
    EXPECT_EQ(end.reason, "-p FOO: not a port");
    EXPECT_EQ(flushes, 1);

    plan = {PlannedRun::NoUsbPrinter, {}, false};
    plan.job.modelCode = 1112;
    end = runUnattended(plan, host, [&] { ++flushes; });
    expectEnd(RunOutcome::Failed, 2, 0);
    EXPECT_TRUE(end.noUsbPrinter);
    EXPECT_THAT(printer.calls, IsEmpty());
    EXPECT_EQ(flushes, 2);
}

// The views the entry points wire to a silent run: the result file says how the run ended, or
// that start-up found no USB printer and no run began; the log is written whenever the host asks.
TEST_F(SilentRunObservation, TheResultSaysHowTheRunEndedOrWhyNoneBegan) {
    FakeEnvironment environment;
    FakeFileSystem files;
    FakeDesktop desktop;
    EventLog log(environment, files, desktop);
    SilentRunViews::Settings settings;
    const std::string path = *(settings.resultPath = dir.path("r.json"));
    const auto finish = [&](SilentRunViews& views, const RunEnd& runEnd) {
        std::string error;
        EXPECT_TRUE(views.finish(runEnd, error)) << error;
        return nlohmann::json::parse((std::stringstream() << std::ifstream(path).rdbuf()).str());
    };
    StartupPlan plan{PlannedRun::Silent, {}, true};
    plan.job.modelName = "T90 Prime";
    plan.job.modelCode = 1112;
    plan.job.warnings = {"a guess"};
    SilentRunViews sent(settings, log, files, clock);
    sent.planned(plan);
    end.outcome = RunOutcome::Sent;
    log.append(LogLevel::Notice, "Download Complete");
    sent.flushLog();
    EXPECT_THAT(files.files[log.filePath()], HasSubstr("Download Complete"));
    const nlohmann::json sentResult = finish(sent, end);
    EXPECT_EQ(sentResult["outcome"], "sent");
    EXPECT_EQ(sentResult["exit_status"], 0);
    EXPECT_EQ(sentResult["log_line"], "Download Complete");
    EXPECT_EQ(sentResult["warnings"], nlohmann::json::array({"a guess"}));
    // Where the log is.
    EXPECT_EQ(sentResult["log_file"], log.filePath());

    plan.run = PlannedRun::NoUsbPrinter;
    SilentRunViews noPrinter(settings, log, files, clock);
    noPrinter.planned(plan);
    RunEnd none;
    none.noUsbPrinter = true;
    none.reason = "no attached USB printer belongs to model 1112";
    const nlohmann::json noneResult = finish(noPrinter, none);
    EXPECT_EQ(noneResult["reason"], "no attached USB printer belongs to model 1112");
    EXPECT_EQ(noneResult["outcome"], "failed");
    EXPECT_EQ(noneResult["exit_status"], 2);
    EXPECT_EQ(noneResult["model"], "T90 Prime");
    EXPECT_EQ(noneResult["port"], "USB");
}

} // namespace
