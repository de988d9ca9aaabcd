// The transfer state machine in virtual time: order of steps, intervals, the bar, clean-up.
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace enginefakes;
using ::testing::ElementsAre;

namespace {

struct Transfer : ::testing::Test {
    Rigs rigs;
};

TEST_F(Transfer, SerialRunSendsPacketsSettlesFinishesAndCleansUp) {
    const auto bytes = patternBytes(10000);
    EngineRig& r = rigs.make("COM3", 0, bytes);
    r.dialog.startDownload();
    r.run();

    EXPECT_EQ(r.port.received, bytes);
    EXPECT_THAT(r.port.writeLengths, ElementsAre(4096, 4096, 1808));
    EXPECT_THAT(r.steps(), ElementsAre(1, 4, 5, 6));
    EXPECT_EQ(r.count(1, 10), 3u);
    EXPECT_EQ(r.progressAfter[0], 4096u * 240 / 10000);
    EXPECT_EQ(r.progressAfter[1], 8192u * 240 / 10000);
    EXPECT_EQ(r.count(5, 10), 1u);
    EXPECT_EQ(r.count(6, 10), 1u);
    EXPECT_EQ(r.dialog.progress, 268u);

    EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM3|", "restore"));
    EXPECT_EQ(r.view.events.front(), "repaint"); // no bar of an earlier run is left standing
    EXPECT_EQ(r.port.calls.front(), "configure COM3");
    EXPECT_EQ(r.port.calls[1], "open 0");
    EXPECT_EQ(r.port.calls.back(), "close");
    EXPECT_TRUE(r.dialog.image.empty());
    EXPECT_EQ(r.dialog.sentOffset, 0);
    EXPECT_TRUE(r.reporter.reports.empty());
    EXPECT_EQ(r.view.helpLines.back(), "HELP : Finished firmware download.");
    EXPECT_TRUE(r.view.allEnabled());
    EXPECT_EQ(r.view.closes, 1);
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Completed);
    EXPECT_FALSE(r.dialog.transferActive());
}

TEST_F(Transfer, EveryTickKillsItsTimerAndArmsAtMostOneNext) {
    EngineRig& r = rigs.make("LPT1", 0, patternBytes(5000));
    r.dialog.startDownload();
    r.run();
    // Between "kill n" and the next "kill" there is exactly one "set" (none after clean-up).
    int sets = 0;
    int kills = 0;
    for (const auto& e : r.view.events) {
        if (e.rfind("kill", 0) == 0) {
            EXPECT_LE(sets - kills, 1) << "two timers armed";
            ++kills;
        } else if (e.rfind("set", 0) == 0) {
            ++sets;
            EXPECT_EQ(sets - kills, 1) << "two timers armed";
        }
    }
    EXPECT_EQ(sets, kills);
    // Fine timer resolution only for the packet phase, switched on and off once.
    const auto& ev = r.view.events;
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "fine on"), 1);
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "fine off"), 1);
    const auto on = std::find(ev.begin(), ev.end(), "fine on");
    const auto off = std::find(ev.begin(), ev.end(), "fine off");
    EXPECT_LT(on, std::find(ev.begin(), ev.end(), "set 1 10"));
    EXPECT_LT(off, std::find(ev.begin(), ev.end(), "set 4 10"));
}

// Where the bar stands when the image is out, and how the settle phase takes it on to 268: the
// first settle tick after 10 ms, then one every `interval`.
TEST_F(Transfer, SettleFollowsPortModelAndImageSize) {
    struct Case {
        const char* port;
        int32_t model;
        size_t size;
        uint32_t barAtLastSend; // progress after the tick that sent the last byte
        uint32_t interval;
        std::vector<uint32_t> writes; // serial only
    };
    const Case cases[] = {
        // Serial: the last packet does not move the bar.
        {"COM1", 0, 10000, 196, 800, {4096, 4096, 1808}},
        {"COM1", 0, 4096 * 100, 237, 800, {}},
        {"COM1", 0, 4096, 0, 800, {4096}}, // one packet: sent as the last one at once
        {"COM1", 0, 4097, 239, 800, {4096, 1}},
        // Ethernet: the whole image in one send, the bar set by the model.
        {"192.168.0.9", 0, 1000, 100, 800, {}},
        {"10.1.1.1", 310, 64, 205, 600, {}},
        {"10.1.1.1", 312, 64, 205, 600, {}},
        {"127.0.0.1", 330, 10, 235, 270, {}},
        {"127.0.0.1", 1112, 10, 225, 200, {}},
        {"127.0.0.1", 35011000, 10, 225, 270, {}},
        {"127.0.0.1", 1002, 10, 100, 270, {}},
        {"127.0.0.1", 3503, 10, 225, 200, {}},
        {"127.0.0.1", 340, 10, 235, 800, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.port) + " model " + std::to_string(c.model) + " size " +
                     std::to_string(c.size));
        const auto bytes = patternBytes(c.size);
        EngineRig& r = rigs.make(c.port, c.model, bytes);
        r.dialog.startDownload();
        r.run();
        const bool serial = c.port[0] == 'C';
        EXPECT_EQ(serial ? r.port.received : r.socket.received, bytes);
        EXPECT_THAT(r.steps(), ElementsAre(serial ? 1 : 2, 4, 5, 6));
        if (!c.writes.empty()) {
            EXPECT_EQ(r.port.writeLengths, std::vector<int32_t>(c.writes.begin(), c.writes.end()));
        }
        const size_t sendTicks = serial ? std::max<size_t>(1, (c.size + 4095) / 4096) : 1;
        EXPECT_EQ(r.progressAfter[sendTicks - 1], c.barAtLastSend);
        EXPECT_EQ(r.count(4, 10), 1u);
        EXPECT_EQ(r.count(4, c.interval), 268u - c.barAtLastSend - 1);
        EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Completed);
    }
}

TEST_F(Transfer, ShortWriteFailsAtOnceAndCleansUp) {
    EngineRig& r = rigs.make("COM1", 0, patternBytes(3 * 4096 + 5), /*silent=*/0);
    r.dialog.onDownloadClicked();
    r.port.acceptScript = {-1, 4095};
    r.run();
    EXPECT_THAT(r.port.writeLengths, ElementsAre(4096, 4096)); // no retry, no resend
    // The failed write ends the packet phase and its fine timer resolution at once.
    const auto& ev = r.view.events;
    EXPECT_LT(std::find(ev.begin(), ev.end(), "fine off"),
              std::find(ev.begin(), ev.end(), "set 3 10"));
    EXPECT_THAT(r.steps(), ElementsAre(1, 3, 6));
    EXPECT_EQ(r.count(3, 10), 1u);
    ASSERT_EQ(r.reporter.reports.size(), 1u);
    EXPECT_EQ(r.reporter.reports[0].text, "Write Failed!");
    EXPECT_EQ(r.reporter.reports[0].toFile, 0);
    EXPECT_EQ(r.reporter.reports[0].level, LogLevel::Notice);
    EXPECT_EQ(r.port.calls.back(), "close");
    EXPECT_EQ(r.queues.calls.back(), "restore");
    EXPECT_TRUE(r.view.allEnabled());
    EXPECT_EQ(r.view.helpLines.back(), "HELP : Finished firmware download.");
    EXPECT_EQ(r.view.closes, 0); // interactive: the window stays
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Failed);

    // A short last packet fails the same way.
    EngineRig& s = rigs.make("COM1", 0, patternBytes(100));
    s.port.acceptScript = {99};
    s.dialog.startDownload();
    s.run();
    EXPECT_THAT(s.steps(), ElementsAre(1, 3, 6));
    EXPECT_EQ(s.view.closes, 1);
}

TEST_F(Transfer, NetworkSendFailure) {
    EngineRig& r = rigs.make("127.0.0.1", 0, patternBytes(70000));
    r.socket.sendResult = -1;
    r.dialog.startDownload();
    r.run();
    EXPECT_THAT(r.steps(), ElementsAre(2, 3, 6));
    EXPECT_THAT(r.reporter.texts(), ElementsAre("Write Failed!"));
    EXPECT_THAT(r.socket.calls,
                ElementsAre("create", "connect 127.0.0.1:9100", "send 70000 0", "close"));
    EXPECT_TRUE(r.queues.calls.empty());
    EXPECT_TRUE(r.port.calls.empty());
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Failed);
}

TEST_F(Transfer, UsbRunUsesSmallPacketsForModels203And352AndGivesTheQueuesBack) {
    const std::string path =
        "\\\\?\\usb#vid_1234&pid_0001#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EngineRig& r = rigs.make(path, 352, patternBytes(64 * 5 + 1));
    r.dialog.startDownload();
    r.run();
    EXPECT_THAT(r.queues.calls, ElementsAre("redirect " + path + "|T90 Prime", "restore"));
    EXPECT_THAT(r.port.writeLengths, ElementsAre(64, 64, 64, 64, 64, 1));
    EXPECT_EQ(r.count(1, 10), 1u); // the first tick from startDownload
    EXPECT_EQ(r.count(1, 0), 5u);  // then re-armed with 0 ms
}

TEST_F(Transfer, ProgressDoesNotOverflowOnLargeImages) {
    // 20 MiB: sentOffset * 240 passes 2^32 after 17.9 MB.
    const size_t size = 20u << 20;
    EngineRig& r = rigs.make("COM1", 0, patternBytes(size));
    r.dialog.startDownload();
    r.run();
    ASSERT_EQ(r.port.received.size(), size);
    uint32_t last = 0;
    for (size_t i = 0; i + 1 < size / 4096; ++i) {
        ASSERT_GE(r.progressAfter[i], last) << i;
        ASSERT_LE(r.progressAfter[i], 240u) << i;
        last = r.progressAfter[i];
    }
    EXPECT_EQ(last, 239u);
}

TEST_F(Transfer, InteractiveFinishShowsCompletionAndCleansUpInsideIt) {
    EngineRig& r = rigs.make("COM1", 1111, patternBytes(10), /*silent=*/0);
    // The completion dialog runs a nested loop that delivers the armed clean-up tick.
    bool cleanedInside = false;
    r.view.onModal = [&] {
        ASSERT_EQ(r.view.timers.count(6), 1u);
        r.dialog.onTimer(6);
        cleanedInside = r.view.allEnabled() && r.dialog.image.empty();
    };
    r.dialog.onDownloadClicked();
    r.run();
    EXPECT_TRUE(cleanedInside);
    EXPECT_THAT(r.view.helpLines, ElementsAre("HELP : firmware downloading....",
                                              "HELP : Finished firmware download."));
    EXPECT_TRUE(r.reporter.reports.empty());

    // Models 310 and 312 end with the self-test notice instead of the dialog.
    EngineRig& s = rigs.make("COM1", 312, patternBytes(10), 0);
    s.dialog.onDownloadClicked();
    s.run();
    EXPECT_EQ(std::count(s.view.events.begin(), s.view.events.end(), "completion"), 0);
    EXPECT_THAT(s.reporter.texts(),
                ElementsAre("Do not turn off the printer until the self-test page is printed "
                            "automatically."));
}

TEST_F(Transfer, DestroyDuringTransferGivesEverythingBack) {
    EngineRig& r = rigs.make("COM2", 0, patternBytes(50000));
    r.dialog.startDownload();
    r.run(3);
    r.dialog.onDestroy();
    EXPECT_TRUE(r.view.timers.empty());
    EXPECT_EQ(r.port.calls.back(), "close");
    EXPECT_EQ(r.queues.calls.back(), "restore");
    EXPECT_TRUE(r.dialog.image.empty());
    EXPECT_EQ(r.view.events.back(), "fine off");
    const size_t calls = r.port.calls.size();
    r.dialog.onDestroy(); // twice is harmless: nothing is closed or given back again
    EXPECT_EQ(r.port.calls.size(), calls);
    EXPECT_THAT(r.queues.calls, ElementsAre("redirect COM2|", "restore"));
}

} // namespace
