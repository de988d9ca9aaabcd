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
    void waitingForPrinter(uint32_t msLeft) override { note(0, "waiting", msLeft); }
    void runEnded(const RunEnd& e) override { ends.push_back(e); }
    std::vector<RunEnd> ends;
};

struct SilentRunObservation : ::testing::Test {
    using Connect = std::function<std::unique_ptr<PrinterReplies>(const PortSettings&)>;
    SilentRunObservation() {
        job.silentRun = 1;
        job.modelCode = 1112;
        job.portSettings.baudRate = 9100;
    }
    MainDialogSilentHost makeHost(size_t ticksBeforeSignal = SIZE_MAX, VerifySettings verify = {},
                                  Connect connect = {}) {
        MainDialogSilentHost host({printer, printer, queues, reporter, clock,
                                   [this, ticksBeforeSignal] {
                                       auto loop = std::make_unique<RecordingView>();
                                       loop->clock = &clock;
                                       loop->ticksBeforeSignal = ticksBeforeSignal;
                                       return loop;
                                   },
                                   [&] { ++flushes; }, verify, connect});
        host.setRunObserver(seen);
        return host;
    }
    // The job to the port it names, with this image.
    void start(const std::vector<uint8_t>& image, size_t ticksBeforeSignal = SIZE_MAX,
               VerifySettings verify = {}, Connect connect = {}) {
        job.firmwarePath = dir.file("fw.fls", image);
        end = makeHost(ticksBeforeSignal, verify, connect).run(job);
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

TEST_F(SilentRunObservation, AFailedWriteCountsWhatTheDeviceTookAndCarriesItsReason) {
    job.portSettings.portName = "COM1";
    printer.acceptScript = {4096, 1000};
    printer.errorText = "/dev/ttyS0: input/output error";
    start(patternBytes(10000));
    EXPECT_EQ(seen.calls.back(), "sent 5096 10000"); // and no settle phase
    expectEnd(RunOutcome::Failed, 2, 5096);
    EXPECT_EQ(end.reason, "/dev/ttyS0: input/output error");
}

// A send that succeeds only means the system's buffers took the image: only bytes the printer
// acknowledged count as sent, and the acknowledgement is watched through the settle phase and
// past it, until every byte is in or none came for the stall limit. A system that counts no
// acknowledgements (older Windows, Wine) can still see a reset; a connection that lasts the
// settle phase is then taken as delivered. Each row: what the connection says at each look (one
// at the send, then one a settle tick; the last repeated).
TEST_F(SilentRunObservation, ANetworkRunEndsByWhatThePrinterAcknowledged) {
    const std::string reset = "127.0.0.1:9100: the printer broke the connection (reset)";
    const auto looks = [](std::initializer_list<std::pair<size_t, NetDelivery>> runs) {
        std::deque<NetDelivery> script;
        for (const auto& [count, delivery] : runs) {
            script.insert(script.end(), count, delivery);
        }
        return script;
    };
    const auto F = RunOutcome::Failed, S = RunOutcome::Sent;
    const struct {
        const char* name;
        std::deque<NetDelivery> deliveries;
        int32_t acceptedBeforeFailedSend; // 0: the send succeeds
        RunOutcome outcome;
        int64_t bytesSent, countAtSend;
        uint32_t durationMs;
        std::string reason;
        std::vector<std::string> countsAfterCountdown; // what a terminal shows last
    } rows[] = {
        // clang-format off
        // Model 1112 leaves the bar at 225 after a network send: 43 settle ticks of 200 ms.
        {"acknowledged at once", {}, 0, S, 10000, 10000, 10 + 10 + 42 * 200 + 10 + 10, "", {}},
        {"send fails", looks({{1, {4500, true, true}}}), 6000, F, 4500, 4500, 30, reset, {}},
        {"reset while settling", looks({{1, {4000, true, false}}, {18, {7000, true, false}},
                                        {1, {7000, true, true}}}),
         0, F, 7000, 4000, 10 + 10 + 18 * 200 + 10 + 10, reset, {}},
        // Acknowledged at 10 ms; the settle phase ends at 8420 ms and its ticks go on until the
        // first one 30 s after the last acknowledgement (30020 ms).
        {"stalled", looks({{1, {9000, true, false}}}), 0, F, 9000, 9000, 30020 + 10 + 10,
         "127.0.0.1:9100: the printer acknowledged 9000 of 10000 bytes and took no more for 30 s",
         {}},
        // Nothing for 98 settle ticks (19.6 s, past the 8.6 s settle phase) is within the limit.
        {"drains slowly", looks({{100, {5000, true, false}}, {10, {7000, true, false}},
                                 {1, {10000, true, false}}}),
         0, S, 10000, 5000, 10 + 10 + 109 * 200 + 10 + 10, "",
         {"sent 7000 10000", "sent 10000 10000"}},
        {"not counted", looks({{1, {2000, false, false}}}),
         0, S, 10000, 2000, 10 + 10 + 42 * 200 + 10 + 10, "", {"sent 10000 10000"}},
        {"not counted, reset", looks({{2, {2000, false, false}}, {1, {2000, false, true}}}),
         0, F, 2000, 2000, 10 + 10 + 200 + 10 + 10, reset, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        printer = {};
        printer.errorText = reset;
        printer.deliveries = row.deliveries;
        printer.sendResult = row.acceptedBeforeFailedSend > 0 ? -1 : 0;
        printer.acceptedBeforeFailure = row.acceptedBeforeFailedSend;
        reporter.reports.clear();
        seen.calls.clear();
        job.portSettings.portName = "127.0.0.1";
        start(patternBytes(10000));
        EXPECT_EQ(end.outcome, row.outcome);
        EXPECT_EQ(end.bytesSent, row.bytesSent);
        EXPECT_EQ(end.durationMs, row.durationMs); // nothing waits longer than it must
        EXPECT_EQ(end.reason, row.reason);
        EXPECT_EQ(exitStatusFor(end.outcome), row.outcome == S ? 0 : 2);
        EXPECT_THAT(std::vector(seen.calls.begin(), seen.calls.begin() + 3),
                    ElementsAre("started", "sent 0 10000",
                                "sent " + std::to_string(row.countAtSend) + " 10000"));
        auto countdownOver = std::find(seen.calls.begin(), seen.calls.end(), "settling 0 200");
        countdownOver += countdownOver == seen.calls.end() ? 0 : 1;
        EXPECT_EQ(std::vector(countdownOver, seen.calls.end()), row.countsAfterCountdown);
        if (row.deliveries.empty()) { // the countdown from 42 is the last thing said
            EXPECT_EQ(seen.calls.size(), 3u + 43u);
            EXPECT_EQ(seen.calls.at(3), "settling 42 200");
            EXPECT_EQ(seen.calls.back(), "settling 0 200");
        }
        // The start's trace, then the failure's notice.
        EXPECT_EQ(reporter.texts(),
                  (row.outcome == S ? std::vector<std::string>{"Complete!!"}
                                    : std::vector<std::string>{"Complete!!", "Write Failed!"}));
        EXPECT_EQ(printer.calls.back(), "close");
    }
}

TEST_F(SilentRunObservation, AnInterruptedRunSaysHowFarItGotAndWritesTheLog) {
    job.portSettings.portName = "COM1";
    start(patternBytes(10000), 2); // two packets, then the signal
    expectEnd(RunOutcome::Interrupted, 3, 8192);
    EXPECT_EQ(end.imageLength, 10000);
    EXPECT_EQ(flushes, 1);
}

// With --verify the version before is asked on a connection of its own before the transfer;
// a model whose transfer asks it anyway (310, 312) is not asked twice: the transfer's answer is
// the version before. After the restart the printer is asked again.
TEST_F(SilentRunObservation, AVerifiedRunAsksTheVersionBeforeOnceAndAfterTheRestart) {
    for (const int32_t model : {1112, 310}) {
        SCOPED_TRACE(model);
        // The fake sees no restart, only the reply counts: 1112 still says 1.35 when asked after
        // its update (2.00 expected), 310 says 2.00 already.
        const std::string says = model == 310 ? "2.00" : "1.35";
        std::vector<std::string> connections; // what the printer said when each was made
        job.modelCode = model;
        job.portSettings.portName = "COM1";
        printer.replies = {"_1.35\0"s, "_3000\0"s}; // the FPGA check's dialogue (310 only)
        start(model == 310 ? fpgaImage(0) : patternBytes(300), SIZE_MAX, {true, "2.00", 10},
              [&](const PortSettings&) -> std::unique_ptr<PrinterReplies> {
                  connections.push_back(says);
                  return std::make_unique<FieldReplies>(clock, FieldReplies::says({{0x41, says}}));
              });
        // 310 is asked only after the restart: its transfer's own answer is the version before.
        EXPECT_EQ(connections, (model == 310 ? std::vector<std::string>{"2.00"}
                                             : std::vector<std::string>{"1.35", "1.35"}));
        EXPECT_EQ(end.outcome, model == 310 ? RunOutcome::Sent : RunOutcome::Unverified);
        EXPECT_EQ(end.verified, model == 310);
        EXPECT_EQ(end.versionBefore, "1.35");
        EXPECT_EQ(end.versionAfter, says);
    }
    // A printer that never comes back is waited for the whole limit, counted down from it.
    seen.calls.clear();
    start(patternBytes(300), SIZE_MAX, {true, "2.00", 10},
          [](const PortSettings&) -> std::unique_ptr<PrinterReplies> { return nullptr; });
    EXPECT_EQ(end.outcome, RunOutcome::Unverified);
    EXPECT_THAT(std::vector(std::find(seen.calls.begin(), seen.calls.end(), "waiting 10000"),
                            seen.calls.end()),
                ElementsAre("waiting 10000", "waiting 8000", "waiting 6000", "waiting 4000",
                            "waiting 2000"));
}

// Plans that start no transfer end at once: the log is written, nothing is opened.
TEST_F(SilentRunObservation, ARefusedRunAndOneWithoutAUsbPrinterOnlyWriteTheLogAndEnd) {
    MainDialogSilentHost host = makeHost();
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
    // The result holds each key given with its value.
    const auto finish = [&](SilentRunViews& views, const RunEnd& runEnd, const char* expected) {
        std::string error;
        EXPECT_TRUE(views.finish(runEnd, error)) << error;
        const nlohmann::json json = nlohmann::json::parse(std::ifstream(path));
        const nlohmann::json keys = nlohmann::json::parse(expected);
        for (const auto& [key, value] : keys.items()) {
            EXPECT_EQ(json.at(key), value) << key;
        }
        return json;
    };
    settings.version = "3.1";
    StartupPlan plan{PlannedRun::Silent, {}, true};
    plan.job.modelName = "T90 Prime";
    plan.job.modelCode = 1112;
    plan.job.warnings = {"a guess"};
    plan.job.firmwarePath = "/fw/fw.fls";
    plan.job.portSettings.portName = "127.0.0.1";
    plan.job.portSettings.baudRate = 9100;
    files.addFile("/fw/fw.fls", "abc");
    SilentRunViews sent(settings, log, files, clock);
    sent.planned(plan);
    sent.observer().runStarted(plan.job);
    end.outcome = RunOutcome::Sent;
    end.bytesSent = 3;
    end.durationMs = 40;
    end.versionBefore = "1.35";
    end.versionAfter = "2.00";
    end.verified = true;
    log.append(LogLevel::Notice, "Download Complete");
    sent.flushLog();
    EXPECT_THAT(files.files[log.filePath()], HasSubstr("Download Complete"));
    const char* abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const nlohmann::json sentResult = finish(sent, end,
                                             (R"({"outcome": "sent", "exit_status": 0,
        "log_line": "Download Complete", "warnings": ["a guess"], "reason": null,
        "model": "T90 Prime", "model_code": 1112, "port": "NET", "device": "127.0.0.1:9100",
        "file": "fw.fls", "file_size": 3, "bytes_sent": 3, "duration_ms": 40, "version": "3.1",
        "printer_version_before": "1.35", "printer_version_after": "2.00", "verified": true,
        "sha256": ")"s + abc + "\"}")
                                                 .c_str());
    EXPECT_EQ(sentResult["log_file"], log.filePath()); // where the log is

    // Said once on the terminal, with the model's name; the result names what would have gone.
    plan.run = PlannedRun::NoUsbPrinter;
    settings.terminal = std::tmpfile();
    SilentRunViews noPrinter(settings, log, files, clock);
    noPrinter.planned(plan);
    RunEnd none;
    none.noUsbPrinter = true;
    none.reason = "no attached USB printer belongs to model 1112";
    finish(noPrinter, none,
           (R"({"outcome": "failed", "exit_status": 2, "model": "T90 Prime",
        "port": "USB", "device": null, "file": "fw.fls", "bytes_sent": 0,
        "reason": "no attached USB printer belongs to model 1112", "sha256": ")"s +
            abc + "\"}")
               .c_str());
    EXPECT_EQ(textOfClosed(settings.terminal),
              "mirelith: warning: a guess\nmirelith: failed: no attached USB printer belongs to "
              "T90 Prime (model 1112); nothing was downloaded (see mirelith --list)\n");
}

} // namespace
