// The terminal's view of a silent run: the bar's arithmetic, and which lines reach a terminal,
// a pipe and a quiet run.
#include "silentrun/TerminalProgress.h"
#include "support/AppFakes.h"
#include "support/EngineFiles.h"
#include "support/FakeClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

using ::testing::HasSubstr;

TEST(TerminalProgress, NumbersDurationsAndTheSendingLineArithmetic) {
    EXPECT_EQ(groupedNumber(0), "0");
    EXPECT_EQ(groupedNumber(999), "999");
    EXPECT_EQ(groupedNumber(262144), "262,144");
    EXPECT_EQ(groupedNumber(1234567890123), "1,234,567,890,123");
    EXPECT_EQ(clockDuration(0), "0:00");
    EXPECT_EQ(clockDuration(1), "0:01"); // a countdown reaches 0:00 only at its end
    EXPECT_EQ(clockDuration(60000), "1:00");
    EXPECT_EQ(clockDuration(3723000), "1:02:03");
    // Nothing sent yet gives no rate and no time left, however long the start took.
    EXPECT_EQ(sendingLine(0, 262144, 1000), "[>                   ]   0%  0/262,144 B");
    // Half of 256 KiB in 1 s: 128 KiB/s, one second to go.
    EXPECT_EQ(sendingLine(131072, 262144, 1000),
              "[==========>         ]  50%  131,072/262,144 B  128.0 KiB/s  0:01 left");
    EXPECT_EQ(sendingLine(0, 0, 0), "[====================] 100%  0/0 B");
    EXPECT_EQ(sendingLine(0, 1, 0), "[>                   ]   0%  0/1 B");
    // A count past the end never shows more than the whole image.
    EXPECT_EQ(sendingLine(7, 0, 0), "[====================] 100%  0/0 B");
    // The widest line of a 99 MB image still fits 79 columns, in MiB/s when fast.
    EXPECT_EQ(sendingLine(50'000'000, 99'999'999, 1000),
              "[==========>         ]  50%  50,000,000/99,999,999 B  47.7 MiB/s  0:01 left");
    EXPECT_THAT(sendingLine(1 << 20, 1 << 21, 1000), HasSubstr(" 1.0 MiB/s")); // from 1 MiB/s
    // 2 GiB images do not overflow the percentage or the bar.
    const int64_t big = int64_t(1) << 31;
    EXPECT_NE(sendingLine(big - 1, big, 600000).find(" 99%"), std::string::npos);
    EXPECT_EQ(settlingLine(28, 800), "the printer is writing its firmware: 0:23 left");
}

class Printed : public ::testing::Test {
  protected:
    // What a stream of that style is shown while `tell` tells the terminal about a run.
    std::string shown(TerminalProgress::Style style,
                      const std::function<void(TerminalProgress&)>& tell) {
        std::FILE* out = std::tmpfile();
        TerminalProgress terminal(out, style, context, files, clock);
        tell(terminal);
        return enginefakes::textOfClosed(out);
    }
    // A run of 8,192 bytes to the network, sent faster than the bar redraws, then two settle
    // ticks and the end.
    std::string run(TerminalProgress::Style style, RunOutcome outcome) {
        return shown(style, [&](TerminalProgress& terminal) {
            DownloadJob job;
            job.modelName = "T90 Prime";
            job.modelCode = 1112;
            job.firmwarePath = "/fw/fw.fls";
            job.portSettings.portName = "127.0.0.1";
            job.portSettings.baudRate = 9100;
            terminal.runStarted(job);
            for (int64_t sent = 0; sent <= 8192; sent += 2048) {
                clock.advance(75);
                terminal.bytesSent(sent, 8192);
            }
            terminal.settling(1, 200);
            terminal.settling(0, 200);
            RunEnd end;
            end.outcome = outcome;
            end.bytesSent = end.imageLength = 8192;
            end.durationMs = 1500;
            end.reason = "127.0.0.1:9100: connection reset by peer";
            end.interruptSignal = 2;
            terminal.runEnded(end);
        });
    }

    RunContext context{[this](const std::string&, int32_t) { return label; },
                       [this](const std::string& name, int32_t port) {
                           return device.value_or(name + ":" + std::to_string(port));
                       },
                       [] { return std::string("the command line"); }, [this] { return logged; },
                       "/var/log/mirelith/_QEM_NUV.txt"};
    std::optional<std::string> logged;
    std::string label = "NET";
    std::optional<std::string> device; // else the address
    FakeFileSystem files;
    FakeClock clock;
};

// No bar and no countdown: the start line, one line when the settle phase begins (once, however
// many settle ticks follow), and the end line.
TEST_F(Printed, APipeGetsTheStartSettleAndEndLinesOnly) {
    files.addFile("/fw/fw.fls", std::string(8192, 'x'));
    const std::string text = run({false, false}, RunOutcome::Sent);
    EXPECT_EQ(text, "mirelith: sending fw.fls (8,192 bytes) to T90 Prime (model 1112) on NET "
                    "(127.0.0.1:9100); settings from the command line\n"
                    "mirelith: the printer is writing its firmware: 0:01 left\n"
                    "mirelith: done: 8,192 bytes sent in 1.5 s; the printer prints a self-test "
                    "page when it has taken the firmware\n");
    // A port shows the device it leads to, unless that is its own name.
    for (const auto& [port, leadsTo, where] :
         {std::tuple{"COM1", "/dev/ttyS0", " on COM1 (/dev/ttyS0);"},
          {"/dev/ttyUSB0", "/dev/ttyUSB0", " on /dev/ttyUSB0;"},
          {"COM9", "", " on COM9 (no such device);"}}) {
        label = port;
        device = leadsTo;
        EXPECT_THAT(run({false, false}, RunOutcome::Sent), HasSubstr(where));
    }
}

TEST_F(Printed, ATerminalSeesTheBarRedrawnAndTheCountdown) {
    const std::string text = run({true, false}, RunOutcome::Sent);
    // Bars at 0, 4,096 and the final 8,192 bytes only, two countdowns, and the blanking.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 7);
    EXPECT_THAT(text, HasSubstr("\r[==========>         ]  50%"));
    EXPECT_THAT(text, HasSubstr("\rthe printer is writing its firmware: 0:01 left"));
    // The bar is blanked before the end line, which starts at the left margin.
    EXPECT_THAT(text, HasSubstr(" \rmirelith: done: 8,192 bytes"));
}

TEST_F(Printed, ARedrawnLineNeverWrapsOnANarrowTerminal) {
    const std::string text = run({true, false, 30}, RunOutcome::Sent);
    size_t start = 0;
    for (size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', start)) {
        const std::string drawn = text.substr(start, cr - start); // a whole line ends in '\n'
        EXPECT_LE(drawn.size() - (drawn.rfind('\n') + 1), 29u) << drawn;
        start = cr + 1;
    }
    EXPECT_GT(start, 0u);
    // A width that leaves no room at all is no width: the bar is drawn whole, not cut to nothing.
    EXPECT_THAT(run({true, false, 1}, RunOutcome::Sent), HasSubstr("\r[==========>         ]"));
}

TEST_F(Printed, QuietKeepsOnlyFailuresWithTheirReasonAndLogPlace) {
    EXPECT_EQ(run({true, true}, RunOutcome::Sent), "");
    logged = "Write Failed!";
    EXPECT_EQ(run({true, true}, RunOutcome::Failed),
              "mirelith: failed: Write Failed! (127.0.0.1:9100: connection reset by peer); 8,192 "
              "of 8,192 bytes sent; logged to /var/log/mirelith/_QEM_NUV.txt\n");
    logged.reset();
    EXPECT_EQ(run({false, true}, RunOutcome::Interrupted),
              "mirelith: interrupted by SIGINT after 8,192 of 8,192 bytes; the printer may need a "
              "power cycle before it takes firmware again; nothing was logged\n");
    // A run that ended before its image was loaded has no count to give.
    const auto unloaded = [&](RunOutcome outcome) {
        return shown({false, true}, [&](TerminalProgress& terminal) {
            RunEnd end;
            end.outcome = outcome;
            end.interruptSignal = 2;
            terminal.runEnded(end);
        });
    };
    EXPECT_EQ(unloaded(RunOutcome::Failed),
              "mirelith: failed: the download did not complete; nothing was logged\n");
    EXPECT_EQ(unloaded(RunOutcome::Interrupted),
              "mirelith: interrupted by SIGINT before anything was sent; nothing was logged\n");
}

// --verify: the wait for the restart counts down in place on a terminal and is one line on a
// pipe; the end says what the printer said before and after, a failed check even when quiet.
TEST_F(Printed, TheWaitForTheRestartAndTheVersionChange) {
    const auto capture = [&](TerminalProgress::Style style, RunOutcome outcome,
                             std::optional<std::string> after) {
        return shown(style, [&](TerminalProgress& terminal) {
            terminal.waitingForPrinter(180000);
            terminal.waitingForPrinter(178000);
            RunEnd end;
            end.outcome = outcome;
            end.bytesSent = 8192;
            end.versionBefore = "1.20";
            end.versionAfter = after;
            end.verified = outcome == RunOutcome::Sent;
            terminal.runEnded(end);
        });
    };
    const std::string onTerminal = capture({true, false}, RunOutcome::Sent, "2.00");
    for (const char* left : {"3:00", "2:58"}) {
        EXPECT_THAT(onTerminal,
                    HasSubstr(std::string("\rwaiting for the printer to restart and say "
                                          "its version: ") +
                              left + " left"));
    }
    EXPECT_THAT(onTerminal,
                HasSubstr(" \rmirelith: printer firmware 1.20 -> 2.00\nmirelith: done: "));

    logged = "Firmware not verified: printer reports 1.20, expected 2.00";
    EXPECT_EQ(capture({false, false}, RunOutcome::Unverified, "1.20"),
              "mirelith: waiting for the printer to restart and say its version (at most 3:00)\n"
              "mirelith: printer firmware 1.20 -> 1.20 (unchanged)\n"
              "mirelith: not verified: Firmware not verified: printer reports 1.20, expected "
              "2.00; 8,192 bytes sent; logged to /var/log/mirelith/_QEM_NUV.txt\n");
    // Quiet: no wait, no version line for an update that took; a failed check is still said.
    EXPECT_EQ(capture({true, true}, RunOutcome::Sent, "2.00"), "");
    EXPECT_THAT(capture({false, true}, RunOutcome::Unverified, std::nullopt),
                HasSubstr("mirelith: printer firmware 1.20 -> ?\n"));
}

} // namespace
