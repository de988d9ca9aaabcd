// The transfer state machine in virtual time: order of steps, intervals, the bar, clean-up.
#include "support/EngineFakes.h"
#include "support/EngineFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace enginefakes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct Transfer : ::testing::Test {
    ScratchDir scratch;
    EngineRig rig;

    void job(const std::string& portName, int32_t modelCode, const std::vector<uint8_t>& bytes,
             int32_t silent = 1) {
        rig.dialog.silentRun = silent;
        rig.dialog.modelCode = modelCode;
        rig.dialog.modelName = "T90 Prime";
        rig.dialog.portSettings.portName = portName;
        rig.dialog.portSettings.baudRate = 9100;
        rig.dialog.firmwarePath = scratch.file("fw.fls", bytes);
    }
    size_t settleTicks() const { return rig.count(4, 10) + rig.count(4, 800); }
};

TEST_F(Transfer, SerialRunSendsPacketsSettlesFinishesAndCleansUp) {
    const auto bytes = patternBytes(10000);
    job("COM3", 0, bytes);
    rig.dialog.startDownload();
    rig.run();

    EXPECT_EQ(rig.port.received, bytes);
    EXPECT_THAT(rig.port.writeLengths, ElementsAre(4096, 4096, 1808));
    EXPECT_THAT(rig.steps(), ElementsAre(1, 4, 5, 6));
    // Packets every 10 ms; the last packet does not move the bar (196 stays), so 72 settle
    // ticks follow: the first 10 ms after the last packet, then one every 800 ms.
    EXPECT_EQ(rig.count(1, 10), 3u);
    EXPECT_EQ(rig.progressAfter[0], 4096u * 240 / 10000);
    EXPECT_EQ(rig.progressAfter[1], 8192u * 240 / 10000);
    EXPECT_EQ(rig.progressAfter[2], 196u);
    EXPECT_EQ(rig.count(4, 10), 1u);
    EXPECT_EQ(rig.count(4, 800), 71u);
    EXPECT_EQ(rig.count(5, 10), 1u);
    EXPECT_EQ(rig.count(6, 10), 1u);
    EXPECT_EQ(rig.dialog.progress, 268u);

    EXPECT_THAT(rig.queues.calls, ElementsAre("redirect COM3|", "restore"));
    EXPECT_THAT(rig.port.calls.front(), "configure COM3");
    EXPECT_EQ(rig.port.calls[1], "open 0");
    EXPECT_EQ(rig.port.calls.back(), "close");
    EXPECT_TRUE(rig.dialog.image.empty());
    EXPECT_EQ(rig.dialog.sentOffset, 0);
    EXPECT_TRUE(rig.reporter.reports.empty());
    EXPECT_EQ(rig.view.helpLines.back(), "HELP : Finished firmware download.");
    EXPECT_TRUE(rig.view.allEnabled());
    EXPECT_EQ(rig.view.closes, 1);
    EXPECT_EQ(rig.dialog.outcome(), MainDialog::Outcome::Completed);
    EXPECT_FALSE(rig.dialog.transferActive());
}

TEST_F(Transfer, EveryTickKillsItsTimerAndArmsAtMostOneNext) {
    job("LPT1", 0, patternBytes(5000));
    rig.dialog.startDownload();
    rig.run();
    // Between "kill n" and the next "kill" there is exactly one "set" (none after clean-up).
    int sets = 0;
    int kills = 0;
    for (const auto& e : rig.view.events) {
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
    const auto& ev = rig.view.events;
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "fine on"), 1);
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "fine off"), 1);
    const auto on = std::find(ev.begin(), ev.end(), "fine on");
    const auto off = std::find(ev.begin(), ev.end(), "fine off");
    const auto settle = std::find(ev.begin(), ev.end(), "set 4 10");
    EXPECT_LT(on, std::find(ev.begin(), ev.end(), "set 1 10"));
    EXPECT_LT(off, settle);
}

TEST_F(Transfer, SettleDurationsOfTheThreeShapes) {
    // A model without a table entry: serial ends the send near 240, then 28 ticks of 800 ms.
    {
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.portSettings.portName = "COM1";
        r.dialog.firmwarePath = scratch.file("a.fls", patternBytes(4096 * 100));
        r.dialog.startDownload();
        r.run();
        EXPECT_EQ(r.progressAfter[98], 4096u * 99 * 240 / (4096 * 100)); // 237 before the last
        EXPECT_EQ(r.count(4, 10) + r.count(4, 800), 268u - 237u);
    }
    // The same model over Ethernet: bar to 100, then 168 settle ticks of 800 ms.
    {
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.portSettings.portName = "192.168.0.9";
        r.dialog.portSettings.baudRate = 9100;
        r.dialog.firmwarePath = scratch.file("b.fls", patternBytes(1000));
        r.dialog.startDownload();
        r.run();
        EXPECT_THAT(r.steps(), ElementsAre(2, 4, 5, 6));
        EXPECT_EQ(r.progressAfter[0], 100u);
        EXPECT_EQ(r.count(4, 10), 1u);
        EXPECT_EQ(r.count(4, 800), 167u);
    }
    // Models 310 and 312 over Ethernet: 205, then 63 ticks of 600 ms.
    for (int32_t model : {310, 312}) {
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.modelCode = model;
        r.dialog.portSettings.portName = "10.1.1.1";
        r.dialog.firmwarePath = scratch.file("c.fls", patternBytes(64));
        r.dialog.startDownload();
        r.run();
        EXPECT_EQ(r.progressAfter[0], 205u);
        EXPECT_EQ(r.count(4, 10) + r.count(4, 600), 63u);
        EXPECT_EQ(r.count(4, 600), 62u);
    }
}

TEST_F(Transfer, NetworkProgressAndSettleIntervalFollowTheModel) {
    struct Case {
        int32_t model;
        uint32_t progress;
        uint32_t interval;
    };
    for (const Case c : {Case{330, 235, 270}, Case{1112, 225, 200}, Case{35011000, 225, 270},
                         Case{1002, 100, 270}, Case{3503, 225, 200}, Case{340, 235, 800}}) {
        EngineRig r;
        r.dialog.silentRun = 1;
        r.dialog.modelCode = c.model;
        r.dialog.portSettings.portName = "127.0.0.1";
        r.dialog.firmwarePath = scratch.file("n.fls", patternBytes(10));
        r.dialog.startDownload();
        r.run();
        EXPECT_EQ(r.progressAfter[0], c.progress) << c.model;
        EXPECT_EQ(r.count(4, c.interval), 268u - c.progress - 1) << c.model;
    }
}

TEST_F(Transfer, LastPacketRule) {
    // Exactly one packet: sent as the last packet on the first tick, bar stays 0.
    job("COM1", 0, patternBytes(4096));
    rig.dialog.startDownload();
    rig.run();
    EXPECT_THAT(rig.port.writeLengths, ElementsAre(4096));
    EXPECT_EQ(rig.progressAfter[0], 0u);
    EXPECT_EQ(settleTicks(), 268u);

    // 4097 bytes: a full packet (bar 239) and then one byte.
    EngineRig r;
    r.dialog.silentRun = 1;
    r.dialog.portSettings.portName = "COM1";
    const auto bytes = patternBytes(4097);
    r.dialog.firmwarePath = scratch.file("b.fls", bytes);
    r.dialog.startDownload();
    r.run();
    EXPECT_THAT(r.port.writeLengths, ElementsAre(4096, 1));
    EXPECT_EQ(r.port.received, bytes);
    EXPECT_EQ(r.progressAfter[0], 239u);
    EXPECT_EQ(r.count(4, 10) + r.count(4, 800), 268u - 239u);
}

TEST_F(Transfer, EmptyImageIsOneZeroLengthPacketThenAFullSettle) {
    job("COM1", 0, {});
    rig.dialog.startDownload();
    rig.run();
    EXPECT_THAT(rig.port.writeLengths, ElementsAre(0));
    EXPECT_THAT(rig.steps(), ElementsAre(1, 4, 5, 6));
    EXPECT_EQ(settleTicks(), 268u);
    EXPECT_EQ(rig.dialog.outcome(), MainDialog::Outcome::Completed);
}

TEST_F(Transfer, ShortWriteFailsAtOnceAndCleansUp) {
    job("COM1", 0, patternBytes(3 * 4096 + 5), /*silent=*/0);
    rig.dialog.onDownloadClicked();
    rig.port.acceptScript = {-1, 4095};
    rig.run();
    EXPECT_THAT(rig.port.writeLengths, ElementsAre(4096, 4096)); // no retry, no resend
    EXPECT_THAT(rig.steps(), ElementsAre(1, 3, 6));
    EXPECT_EQ(rig.count(3, 10), 1u);
    ASSERT_EQ(rig.reporter.reports.size(), 1u);
    EXPECT_EQ(rig.reporter.reports[0].text, "Write Failed!");
    EXPECT_EQ(rig.reporter.reports[0].toFile, 0);
    EXPECT_EQ(rig.reporter.reports[0].level, LogLevel::Notice);
    EXPECT_EQ(rig.port.calls.back(), "close");
    EXPECT_EQ(rig.queues.calls.back(), "restore");
    EXPECT_TRUE(rig.view.allEnabled());
    EXPECT_EQ(rig.view.helpLines.back(), "HELP : Finished firmware download.");
    EXPECT_EQ(rig.view.closes, 0); // interactive: the window stays
    EXPECT_EQ(rig.dialog.outcome(), MainDialog::Outcome::Failed);

    // A short last packet fails the same way.
    EngineRig r;
    r.dialog.silentRun = 1;
    r.dialog.portSettings.portName = "COM1";
    r.dialog.firmwarePath = scratch.file("s.fls", patternBytes(100));
    r.port.acceptScript = {99};
    r.dialog.startDownload();
    r.run();
    EXPECT_THAT(r.steps(), ElementsAre(1, 3, 6));
    EXPECT_EQ(r.view.closes, 1);
}

TEST_F(Transfer, NetworkSendFailureAndSuccess) {
    const auto bytes = patternBytes(70000);
    job("127.0.0.1", 0, bytes);
    rig.socket.sendResult = -1;
    rig.dialog.startDownload();
    rig.run();
    EXPECT_THAT(rig.steps(), ElementsAre(2, 3, 6));
    EXPECT_THAT(rig.reporter.texts(), ElementsAre("Write Failed!"));
    EXPECT_THAT(rig.socket.calls,
                ElementsAre("create", "connect 127.0.0.1:9100", "send 70000 0", "close"));
    EXPECT_TRUE(rig.queues.calls.empty());
    EXPECT_TRUE(rig.port.calls.empty());

    EngineRig r;
    r.dialog.silentRun = 1;
    r.dialog.portSettings = rig.dialog.portSettings;
    r.dialog.firmwarePath = rig.dialog.firmwarePath;
    r.dialog.startDownload();
    r.run();
    EXPECT_EQ(r.socket.received, bytes); // the whole image in one send
    EXPECT_EQ(r.dialog.outcome(), MainDialog::Outcome::Completed);
}

TEST_F(Transfer, SmallPacketsOnUsbForModels203And352) {
    job("\\\\?\\usb#vid_1234&pid_0001#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", 352,
        patternBytes(64 * 5 + 1));
    rig.dialog.startDownload();
    rig.run();
    EXPECT_THAT(rig.port.writeLengths, ElementsAre(64, 64, 64, 64, 64, 1));
    EXPECT_EQ(rig.count(1, 10), 1u); // the first tick from startDownload
    EXPECT_EQ(rig.count(1, 0), 5u);  // then re-armed with 0 ms
    EXPECT_EQ(rig.queues.calls.front(),
              "redirect " + rig.dialog.portSettings.portName + "|T90 Prime");
}

TEST_F(Transfer, ProgressDoesNotOverflowOnLargeImages) {
    // 20 MiB: sentOffset * 240 passes 2^32 after 17.9 MB.
    const size_t size = 20u << 20;
    job("COM1", 0, patternBytes(size));
    rig.dialog.startDownload();
    rig.run();
    ASSERT_EQ(rig.port.received.size(), size);
    uint32_t last = 0;
    for (size_t i = 0; i + 1 < size / 4096; ++i) {
        ASSERT_GE(rig.progressAfter[i], last) << i;
        ASSERT_LE(rig.progressAfter[i], 240u) << i;
        last = rig.progressAfter[i];
    }
    EXPECT_EQ(last, 239u);
}

TEST_F(Transfer, InteractiveFinishShowsCompletionAndCleansUpInsideIt) {
    job("COM1", 1111, patternBytes(10), /*silent=*/0);
    // The completion dialog runs a nested loop that delivers the armed clean-up tick.
    bool cleanedInside = false;
    rig.view.onModal = [&] {
        ASSERT_EQ(rig.view.timers.count(6), 1u);
        rig.dialog.onTimer(6);
        cleanedInside = rig.view.allEnabled() && rig.dialog.image.empty();
    };
    rig.dialog.onDownloadClicked();
    rig.run();
    EXPECT_TRUE(cleanedInside);
    EXPECT_THAT(rig.view.helpLines, ElementsAre("HELP : firmware downloading....",
                                                "HELP : Finished firmware download."));
    EXPECT_TRUE(rig.reporter.reports.empty());

    // Models 310 and 312 end with the self-test notice instead of the dialog.
    EngineRig r;
    r.dialog.modelCode = 312;
    r.dialog.portSettings.portName = "COM1";
    r.dialog.firmwarePath = rig.dialog.firmwarePath;
    r.dialog.onDownloadClicked();
    r.run();
    EXPECT_EQ(std::count(r.view.events.begin(), r.view.events.end(), "completion"), 0);
    EXPECT_THAT(r.reporter.texts(),
                ElementsAre("Do not turn off the printer until the self-test page is printed "
                            "automatically."));
}

TEST_F(Transfer, StrayAndForeignTicks) {
    EXPECT_FALSE(rig.dialog.onTimer(7));
    EXPECT_FALSE(rig.dialog.onTimer(0));
    // A tick already queued for a timer that is no longer armed does nothing.
    EXPECT_TRUE(rig.dialog.onTimer(1));
    EXPECT_TRUE(rig.port.calls.empty());

    job("COM1", 0, patternBytes(9000));
    rig.dialog.startDownload();
    rig.dialog.onTimer(4); // not the armed step
    EXPECT_TRUE(rig.port.writeLengths.empty());
    EXPECT_EQ(rig.view.timers.count(1), 1u);
}

TEST_F(Transfer, DestroyDuringTransferGivesEverythingBack) {
    job("COM2", 0, patternBytes(50000));
    rig.dialog.startDownload();
    rig.run(3);
    rig.dialog.onDestroy();
    EXPECT_TRUE(rig.view.timers.empty());
    EXPECT_EQ(rig.port.calls.back(), "close");
    EXPECT_EQ(rig.queues.calls.back(), "restore");
    EXPECT_TRUE(rig.dialog.image.empty());
    EXPECT_EQ(rig.view.events.back(), "fine off");
    const size_t calls = rig.port.calls.size();
    rig.dialog.onDestroy(); // twice is harmless
    EXPECT_EQ(rig.port.calls.size(), calls);
}

} // namespace
