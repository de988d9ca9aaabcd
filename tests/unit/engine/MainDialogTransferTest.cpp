// The transfer state machine in virtual time: order of steps, intervals, the bar, clean-up.
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace enginefakes;
using ::testing::ElementsAre;

namespace {

// Where the bar stands when the image is out, and how the settle phase takes it on to 268: the
// first settle tick after 10 ms, then one every `interval`; a finished run gives everything back.
TEST(Transfer, SettleFollowsPortModelAndImageSizeAndTheEndCleansUp) {
    const struct Case {
        const char* port;
        int32_t model;
        size_t size;
        uint32_t barAtLastSend; // progress after the tick that sent the last byte
        uint32_t interval;
        std::vector<int32_t> writes; // serial and USB only
    } cases[] = {
        // Serial: the last packet does not move the bar.
        {"COM1", 0, 10000, 196, 800, {4096, 4096, 1808}},
        {"COM1", 0, 4096 * 100, 237, 800, {}},
        {"COM1", 0, 4096, 0, 800, {4096}}, // one packet: sent as the last one at once
        {"COM1", 0, 4097, 239, 800, {4096, 1}},
        // 20 MiB: sentOffset * 240 passes 2^32 after 17.9 MB.
        {"COM1", 0, 20u << 20, 239, 800, {}},
        // Ethernet: the whole image in one send, the bar and the interval set by the model's row.
        {"192.168.0.9", 0, 1000, 100, 800, {}},
        {"10.1.1.1", 310, 64, 205, 600, {}},
        // USB for models 203 and 352: 64-byte packets, each re-armed at once (0 ms).
        {"\\\\?\\usb#vid_1234&pid_0001#5&1", 352, 64 * 5 + 1, 239, 800, {64, 64, 64, 64, 64, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.port) + " model " + std::to_string(c.model) + " size " +
                     std::to_string(c.size));
        const auto bytes = patternBytes(c.size);
        EngineRig r(c.port, c.model, bytes);
        r.dialog.startDownload();
        r.run();
        const bool net = std::isdigit(c.port[0]), usb = c.port[0] == '\\';
        EXPECT_EQ(r.printer.received, bytes);
        EXPECT_THAT(r.view.steps(), ElementsAre(net ? 2 : 1, 4, 5, 6));
        if (!c.writes.empty()) {
            EXPECT_EQ(r.printer.writeLengths, c.writes);
        }
        const size_t packet = usb ? 64 : 4096;
        const size_t sendTicks = net ? 1 : std::max<size_t>(1, (c.size + packet - 1) / packet);
        EXPECT_EQ(r.progressAfter[sendTicks - 1], c.barAtLastSend);
        // Packets follow each other every 10 ms, or at once (0 ms) after USB's first.
        EXPECT_EQ(r.view.ticksOf(net ? 2 : 1, 10), usb ? 1u : sendTicks);
        EXPECT_EQ(r.view.ticksOf(1, 0), usb ? sendTicks - 1 : 0u);
        EXPECT_EQ(r.view.ticksOf(4, 10), 1u);
        EXPECT_EQ(r.view.ticksOf(4, c.interval), 268u - c.barAtLastSend - 1);
        EXPECT_EQ(r.view.calls.front(), "repaint"); // no bar of an earlier run is left standing
        // Each tick stops its own timer; arming the next never stops one a second time.
        EXPECT_EQ(std::count_if(r.view.calls.begin(), r.view.calls.end(),
                                [](const std::string& call) { return call.starts_with("kill"); }),
                  r.view.ticks.size());
        // Fine timer resolution only for the packet phase, switched on and off once.
        EXPECT_EQ(r.view.count("fine on"), net ? 0 : 1);
        EXPECT_EQ(r.view.count("fine off"), net ? 0 : 1);
        if (!net) {
            EXPECT_LT(r.view.at("fine on"), r.view.at("set 1 10"));
            EXPECT_LT(r.view.at("fine off"), r.view.at("set 4 10"));
        }
        const std::string redirect =
            "redirect " + std::string(c.port) + "|" + (usb ? "T90 Prime" : "");
        const std::vector<std::string> queueCalls =
            net ? std::vector<std::string>{} : std::vector<std::string>{redirect, "restore"};
        EXPECT_EQ(r.queues.calls, queueCalls);
        EXPECT_EQ(r.printer.calls.back(), "close");
        EXPECT_TRUE(r.dialog.image.empty());
        EXPECT_EQ(r.dialog.sentOffset, 0);
        EXPECT_TRUE(r.reporter.reports.empty());
        EXPECT_EQ(r.view.calls.end()[-2], "HELP : Finished firmware download.");
        EXPECT_EQ(r.view.calls.back(), "close");
        EXPECT_TRUE(r.view.allEnabled());
        EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Completed);
        EXPECT_FALSE(r.dialog.transferActive());
        r.dialog.onDestroy(); // the clean-up closed the port or socket: not closed again
        EXPECT_EQ(r.printer.count("close"), 1);
    }
}

// A write the port does not take whole, or a failed send, ends the send phase at once: no retry,
// no resend; an interactive run keeps its window.
TEST(Transfer, WriteFailuresEndTheRunAtOnceAndCleanUp) {
    const struct Case {
        const char* port;
        size_t size;
        std::deque<int32_t> accepted;
        int32_t silent;
        std::vector<int32_t> writes;
    } cases[] = {
        {"COM1", 3 * 4096 + 5, {-1, 4095}, 0, {4096, 4096}},
        {"COM1", 100, {99}, 1, {100}}, // the last packet short
        {"127.0.0.1", 70000, {}, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EngineRig r(c.port, 0, patternBytes(c.size), c.silent);
        r.printer.acceptScript = c.accepted;
        r.printer.sendResult = -1;
        r.dialog.onDownloadClicked();
        r.run();
        const bool serial = c.port[0] == 'C';
        EXPECT_EQ(r.printer.writeLengths, c.writes);
        EXPECT_THAT(r.view.steps(), ElementsAre(serial ? 1 : 2, 3, 6));
        EXPECT_EQ(r.view.ticksOf(3, 10), 1u);
        if (serial) { // the packet phase's fine timer resolution ends with the failed write
            EXPECT_LT(r.view.at("fine off"), r.view.at("set 3 10"));
        }
        EXPECT_THAT(r.reporter.texts(), ElementsAre("Write Failed!"));
        EXPECT_EQ(r.reporter.reports[0].toFile, c.silent);
        EXPECT_EQ(r.printer.calls.back(), "close");
        EXPECT_EQ(r.view.count("close"), c.silent);
        EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Failed);
    }
}

TEST(Transfer, InteractiveFinishShowsCompletionAndCleansUpInsideIt) {
    EngineRig r("COM1", 1111, patternBytes(10), /*silent=*/0);
    // The completion dialog runs a nested loop that delivers the armed clean-up tick.
    bool cleanedInside = false;
    r.view.onModal = [&] {
        ASSERT_EQ(r.view.timers.count(6), 1u);
        EXPECT_TRUE(r.dialog.onTimer(6));
        cleanedInside = r.view.allEnabled() && r.dialog.image.empty();
    };
    r.dialog.onDownloadClicked();
    r.run();
    EXPECT_TRUE(cleanedInside);
    EXPECT_TRUE(r.reporter.reports.empty());
    // A late tick of the engine's own timer is taken (and ignored); ticks of timers the window
    // owns itself are left to it.
    EXPECT_TRUE(r.dialog.onTimer(1));
    EXPECT_FALSE(r.dialog.onTimer(0));
    EXPECT_FALSE(r.dialog.onTimer(7));

    // Models 310 and 312 end with the self-test notice instead of the dialog.
    EngineRig s("COM1", 312, patternBytes(10), 0);
    s.dialog.onDownloadClicked();
    s.run();
    EXPECT_EQ(s.view.count("completion"), 0);
    EXPECT_THAT(s.reporter.texts(),
                ElementsAre("Do not turn off the printer until the self-test page is printed "
                            "automatically."));
}

TEST(Transfer, DestroyDuringTransferGivesEverythingBackOnce) {
    EngineRig r("COM2", 0, patternBytes(50000));
    r.dialog.startDownload();
    r.view.ticksBeforeSignal = 3;
    r.run();
    r.dialog.onDestroy();
    r.dialog.onDestroy(); // twice is harmless: nothing is closed or given back again
    EXPECT_TRUE(r.view.timers.empty());
    EXPECT_EQ(r.view.calls.back(), "fine off");
    EXPECT_EQ(r.view.count("fine off"), 1);
    EXPECT_TRUE(r.dialog.image.empty());
    EXPECT_EQ(r.printer.count("close"), 1);
    EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM2|", "restore"));
}

} // namespace
