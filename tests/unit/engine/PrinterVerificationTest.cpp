// Asking a printer who it is and, after an update, whether it came back with the new firmware:
// the reply format, the bounded waits on a virtual clock, and the verdicts.
#include "engine/PrinterVerification.h"
#include "engine/PrinterConnection.h"
#include "support/EngineFakes.h"
#include "support/PortFakes.h"

#include <gtest/gtest.h>

namespace {

using enginefakes::bytesOf;
using enginefakes::FieldReplies;

TEST(IdentityReply, WholeOnlyWithUnderscoreTextAndZero) {
    std::string text;
    EXPECT_EQ(parseIdentityReply(bytesOf(std::string("_1.20\0", 6)), text), ReplyState::Whole);
    EXPECT_EQ(text, "1.20");
    EXPECT_EQ(parseIdentityReply(bytesOf(std::string("_\0junk", 6)), text), ReplyState::Whole);
    EXPECT_EQ(text, "");
    EXPECT_EQ(parseIdentityReply(bytesOf("_1.2"), text), ReplyState::Incomplete); // cut short
    EXPECT_EQ(parseIdentityReply({}, text), ReplyState::Incomplete);
    EXPECT_EQ(parseIdentityReply(bytesOf(std::string("1.20\0", 5)), text), ReplyState::Invalid);
    EXPECT_EQ(parseIdentityReply(bytesOf("\x7f\x11\x0c"), text), ReplyState::Invalid); // garbage
}

TEST(AskIdentity, AWholeReplyEndsTheWaitAndNoneLastsTwoSecondsAtMost) {
    FakeClock clock;
    FieldReplies printer(clock, {{0x42, {{250, "_Vora"}, {400, std::string("nex\0", 4)}}},
                                 {0x43, {{150, "_no zero byte"}}},
                                 {0x41, {{0, "garbage"}}}});
    EXPECT_EQ(askIdentity(printer, clock, IdentityField::Maker), "Voranex");
    EXPECT_EQ(printer.queries.back(), (std::vector<uint8_t>{0x1D, 0x49, 0x42}));
    EXPECT_LE(clock.tickCount(), 500u);
    EXPECT_LE(printer.longestWaitMs, 100); // short slices, so a whole reply ends the wait early

    const uint32_t start = clock.tickCount();
    EXPECT_EQ(askIdentity(printer, clock, IdentityField::Serial), std::nullopt); // silent
    EXPECT_EQ(clock.tickCount() - start, kIdentityReplyWaitMs);
    // Cut short: the slices after the piece at 150 ms shrink so the wait still ends at the limit.
    const uint32_t cutAt = clock.tickCount();
    EXPECT_EQ(askIdentity(printer, clock, IdentityField::Model), std::nullopt);
    EXPECT_EQ(clock.tickCount() - cutAt, kIdentityReplyWaitMs);
    EXPECT_EQ(askIdentity(printer, clock, IdentityField::Firmware), std::nullopt);
    // A query the printer did not take is not waited on.
    printer.takesQueries = false;
    const uint32_t refusedAt = clock.tickCount();
    EXPECT_EQ(askIdentity(printer, clock, IdentityField::Maker), std::nullopt);
    EXPECT_EQ(clock.tickCount(), refusedAt);
}

TEST(VerifyVerdict, EachCaseOfWhatThePrinterSaysAfterItsRestart) {
    const std::optional<std::string> none;
    struct Row {
        std::optional<std::string> before, after, expected;
        VerifyVerdict verdict;
    };
    const Row rows[] = {
        {"1.20", "2.00", none, VerifyVerdict::Verified},
        {"1.20", " 2.00 ", "2.00", VerifyVerdict::Verified}, // trimmed
        {"1.20", "1.20", none, VerifyVerdict::Unchanged},
        {none, "1.20", none, VerifyVerdict::Verified},
        {"1.20", "1.20", "2.00", VerifyVerdict::Mismatch},
        {"1.20", "2.0", "2.00", VerifyVerdict::Mismatch},
        {"1.20", none, "2.00", VerifyVerdict::NoAnswer},
        {"1.20", none, none, VerifyVerdict::NoAnswer},
    };
    for (const Row& row : rows)
        EXPECT_EQ(judgeVersion(row.before, row.after, row.expected), row.verdict)
            << row.after.value_or("-");
    EXPECT_TRUE(isVerified(VerifyVerdict::Unchanged));
    EXPECT_FALSE(isVerified(VerifyVerdict::Mismatch) || isVerified(VerifyVerdict::NoAnswer));

    EXPECT_EQ(versionChangeText("1.20", "2.00"), "printer firmware 1.20 -> 2.00");
    EXPECT_EQ(versionChangeText("1.20", "1.20"), "printer firmware 1.20 -> 1.20 (unchanged)");
    EXPECT_EQ(versionChangeText(none, none), "printer firmware ? -> ?");
    EXPECT_EQ(notVerifiedText("1.20", "2.00", 180),
              "Firmware not verified: printer reports 1.20, expected 2.00");
    EXPECT_EQ(notVerifiedText(none, "2.00", 180), "Firmware not verified: no answer within 180 s");
}

// A network printer gets a socket of its own; a socket that cannot be made, or a printer that
// does not connect, gives nothing and says why.
TEST(ConnectToPrinter, OverTheNetworkAQuestionGoesThroughItsOwnSocket) {
    FakeClock clock;
    FakeDeviceFactory devices;
    FakeSocketFactory sockets;
    PortSettings settings;
    settings.portName = "10.0.0.5";
    settings.baudRate = 9100;
    std::string why;
    sockets.createOk = false;
    EXPECT_EQ(connectToPrinter(settings, {sockets, devices, clock}, why), nullptr);
    EXPECT_EQ(why, "no socket could be made");
    sockets.createOk = true;
    sockets.connectOk = false;
    EXPECT_EQ(connectToPrinter(settings, {sockets, devices, clock}, why), nullptr);
    EXPECT_EQ(sockets.destroyed, 1); // the refused socket is not kept
    sockets.connectOk = true;
    const auto printer = connectToPrinter(settings, {sockets, devices, clock}, why);
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(why, "");
    EXPECT_TRUE(printer->send(reinterpret_cast<const uint8_t*>("abc"), 3));
    EXPECT_EQ(sockets.connects.back(), (std::pair<std::string, uint16_t>{"10.0.0.5", 9100}));
    EXPECT_EQ(sockets.sends, std::vector<int32_t>{3});
}

// The printer comes back after `backAfterMs` (or never) and then answers `version`.
struct Restarting {
    Restarting(FakeClock& clock, std::optional<uint32_t> backAfterMs)
        : clock(clock), backAfterMs(backAfterMs) {}
    FakeClock& clock;
    std::optional<uint32_t> backAfterMs;
    std::string version = "2.00";
    std::vector<uint32_t> triedAt;
    std::unique_ptr<PrinterReplies> operator()() {
        triedAt.push_back(clock.tickCount());
        if (!backAfterMs || clock.tickCount() < *backAfterMs)
            return nullptr;
        return std::make_unique<FieldReplies>(
            clock, FieldReplies::Script{{0x41, {{5, "_" + version + std::string(1, '\0')}}}});
    }
};

TEST(AwaitPrinterVersion, TriesEveryTwoSecondsUntilBackTheTimeIsUpOrAStopRequest) {
    FakeClock clock;
    Restarting atOnce{clock, 0u};
    EXPECT_EQ(awaitPrinterVersion(std::ref(atOnce), clock, 180000, {}), "2.00");
    EXPECT_EQ(atOnce.triedAt.size(), 1u);

    FakeClock later;
    Restarting afterAWhile{later, 7000u};
    std::vector<uint32_t> waits;
    EXPECT_EQ(awaitPrinterVersion(std::ref(afterAWhile), later, 180000, {},
                                  [&](uint32_t left) { waits.push_back(left); }),
              "2.00");
    EXPECT_EQ(afterAWhile.triedAt, (std::vector<uint32_t>{0, 2000, 4000, 6000, 8000}));
    EXPECT_EQ(waits, (std::vector<uint32_t>{180000, 178000, 176000, 174000}));

    FakeClock never;
    Restarting gone{never, std::nullopt};
    EXPECT_EQ(awaitPrinterVersion(std::ref(gone), never, 5000, {}), std::nullopt);
    EXPECT_EQ(gone.triedAt, (std::vector<uint32_t>{0, 2000, 4000, 5000}));

    // A stop request ends the wait within a slice.
    FakeClock stopped;
    Restarting asked{stopped, std::nullopt};
    EXPECT_EQ(awaitPrinterVersion(std::ref(asked), stopped, 180000,
                                  [&] { return stopped.tickCount() >= 3000; }),
              std::nullopt);
    EXPECT_EQ(stopped.tickCount(), 3000u);
    EXPECT_EQ(asked.triedAt.size(), 2u);
    Restarting notTried{stopped, std::nullopt}; // a stop asked before: no connection at all
    EXPECT_EQ(awaitPrinterVersion(std::ref(notTried), stopped, 9000, [] { return true; }),
              std::nullopt);
    EXPECT_TRUE(notTried.triedAt.empty());
}

} // namespace
