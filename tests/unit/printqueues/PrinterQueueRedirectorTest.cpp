#include "printqueues/PrinterQueueRedirector.h"

#include "printqueues/RedirectionJournalStore.h"
#include "support/FakeSpooler.h"
#include "support/FakeStateFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class PrinterQueueRedirectorTest : public ::testing::Test {
  protected:
    FakeSpooler spooler;
    PrinterQueueRedirector redirector{spooler};

    void SetUp() override {
        spooler.queues = {{"Office", "COM1:", "Generic", 0, "idle"},
                          {"Desk", "USB001", "Maker T90 Prime Driver", 0x0A48},
                          {"Other", "USB002", "Maker T90 Standard Driver", 0x0048},
                          {"Second", "COM10:", "Generic"}, // a substring test: COM1 is in COM10:
                          {"Far", "COM22:", "Maker T90 Prime Driver", 0x0048}};
    }
};

TEST_F(PrinterQueueRedirectorTest, SerialJobMovesItsPortAndEveryUsbQueueAndRestoresThem) {
    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(spooler.ports(), ElementsAre("FILE:", "FILE:", "FILE:", "FILE:", "COM22:"));
    EXPECT_EQ(spooler.queue("Desk").attributes, 0x0A48u); // no model name: attributes stay
    redirector.restorePrinterQueues();
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002", "COM10:", "COM22:"));
    EXPECT_EQ(spooler.queue("Desk").attributes, 0x0A48u);
    EXPECT_THAT(redirector.printerQueueRedirects(), IsEmpty());
    spooler.calls.clear();
    redirector.restorePrinterQueues(); // nothing left to do
    EXPECT_THAT(spooler.calls, IsEmpty());
}

TEST_F(PrinterQueueRedirectorTest, ModelNameMatchesUsbQueuesByDriverAndMakesThemRawOnly) {
    redirector.redirectPrinterQueues(
        "\\\\?\\usb#vid_f0a0&pid_0025#1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "T90 Prime");
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "USB002", "COM10:", "COM22:"));
    EXPECT_EQ(spooler.queue("Desk").attributes, kRawOnlyAttribute);
    spooler.calls.clear();
    redirector.restorePrinterQueues();
    // Port first, then the attributes in a second write.
    EXPECT_THAT(spooler.calls, ElementsAre("open Desk", "read Desk", "write Desk USB001 4096",
                                           "write Desk USB001 2632", "close Desk"));

    // With a model name, "\\.\" and the colons leave the port argument; a port that is no USB
    // port keeps its attributes.
    EXPECT_EQ(stripDevicePrefixes("\\\\.\\\\\\.\\A:B:"), "AB");
    redirector.redirectPrinterQueues("\\\\.\\COM22", "T90 Prime");
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "USB002", "COM10:", "FILE:"));
    EXPECT_EQ(spooler.queue("Far").attributes, 0x0048u);
    // Without one it stays whole, so no port name contains it (but every USB port matches).
    redirector.redirectPrinterQueues("\\\\.\\COM22", "");
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "FILE:", "COM10:", "COM22:"));
}

TEST_F(PrinterQueueRedirectorTest, QueueThatCannotBeChangedNowIsGivenBackByALaterRestore) {
    spooler.queue("Office").openable = false;
    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "FILE:", "FILE:", "COM22:"));

    // Someone else moves Office meanwhile: once it opens, its own port is written back.
    spooler.queue("Office") = {"Office", "FILE:", "Generic"};
    spooler.queue("Second").openable = false;
    redirector.restorePrinterQueues();
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002", "FILE:", "COM22:"));
    spooler.queue("Second") = {"Second", "FILE:", "Generic"};
    spooler.queue("Second").writable = false;
    redirector.restorePrinterQueues();
    EXPECT_EQ(redirector.printerQueueRedirects().size(), 1u);
    spooler.queue("Second").writable = true;
    redirector.restorePrinterQueues();
    EXPECT_EQ(spooler.queue("Second").portName, "COM10:");
    EXPECT_THAT(redirector.printerQueueRedirects(), IsEmpty());
}

TEST_F(PrinterQueueRedirectorTest, UnreadableRecordStopsFurtherChangesInThatCall) {
    spooler.queue("Desk").readable = false;
    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(spooler.ports(), ElementsAre("FILE:", "USB001", "USB002", "COM10:", "COM22:"));
    // The later matches are still opened and closed, but not read or written.
    EXPECT_THAT(std::vector<std::string>(spooler.calls.end() - 4, spooler.calls.end()),
                ElementsAre("open Other", "close Other", "open Second", "close Second"));

    // All are remembered: a restore writes their own ports back.
    spooler.queue("Desk").readable = true;
    spooler.calls.clear();
    redirector.restorePrinterQueues();
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002", "COM10:", "COM22:"));
    EXPECT_THAT(spooler.calls, ::testing::Contains("write Second COM10: 0"));
}

TEST_F(PrinterQueueRedirectorTest, NextDownloadOrTheEndGivesBackTheQueuesOfTheLast) {
    redirector.redirectPrinterQueues("COM1", "");
    redirector.redirectPrinterQueues("COM22", "");
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "FILE:", "COM10:", "FILE:"));
    {
        PrinterQueueRedirector forgetful(spooler);
        forgetful.redirectPrinterQueues("COM1", "");
        EXPECT_THAT(spooler.ports(), ElementsAre("FILE:", "FILE:", "FILE:", "FILE:", "FILE:"));
    }
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "FILE:", "FILE:", "COM10:", "FILE:"));
}

// --- The journal, and two copies of the program on one device ---------------------------------

// One running copy of the program over the shared spooler and journal directory.
struct Copy {
    Copy(FakeSpooler& spooler, FakeStateFiles& files, FakeProcesses& processes, uint32_t pid)
        : table(processes, {pid, "t" + std::to_string(pid)}), store(files, table, "/log"),
          redirector(spooler, &store) {}
    FakeProcessTable table;
    RedirectionJournalStore store;
    PrinterQueueRedirector redirector;
};

class QueueJournalTest : public PrinterQueueRedirectorTest {
  protected:
    FakeStateFiles files{spooler.calls};
    FakeProcesses processes;

    std::vector<std::string> journalAndWrites() const {
        std::vector<std::string> list;
        for (const std::string& call : spooler.calls)
            if (call.rfind("journal", 0) == 0 || call.rfind("write", 0) == 0)
                list.push_back(call);
        return list;
    }
};

TEST_F(QueueJournalTest, WrittenBeforeEachChangeAndRemovedAfterTheRestore) {
    Copy copy(spooler, files, processes, 100);
    copy.redirector.redirectPrinterQueues("COM22", "T90 Prime");
    EXPECT_THAT(journalAndWrites(), ElementsAre("journal 1", "write Desk FILE: 4096", "journal 2",
                                                "write Far FILE: 72"));
    copy.redirector.restorePrinterQueues();
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002", "COM10:", "COM22:"));
    EXPECT_EQ(spooler.calls.back(), "journal removed");
    EXPECT_THAT(files.files, IsEmpty());
}

TEST_F(QueueJournalTest, QueueIsNotMovedWhenItsJournalCannotBeWritten) {
    files.writable = false;
    Copy copy(spooler, files, processes, 100);
    copy.redirector.redirectPrinterQueues("COM22", "");
    EXPECT_THAT(journalAndWrites(), ElementsAre("journal 1", "journal 1", "journal 1"));
}

TEST_F(QueueJournalTest, TwoCopiesOnOneDeviceLeaveTheQueueAsideUntilTheLastEnds) {
    for (const bool firstEndsFirst : {true, false}) {
        SCOPED_TRACE(firstEndsFirst);
        SetUp();
        Copy first(spooler, files, processes, 1);
        first.redirector.redirectPrinterQueues("COM1", "T90");
        spooler.calls.clear();

        // The second copy sees Office on "FILE:" and matches it by the port it will get back,
        // but neither moves it nor takes "FILE:" for its own port.
        Copy second(spooler, files, processes, 2);
        second.redirector.redirectPrinterQueues("COM1", "T90");
        // It does not even open them, and its journal marks all four as shared.
        EXPECT_THAT(spooler.calls, ElementsAre("enumerate", "journal 4"));
        EXPECT_THAT(second.redirector.printerQueueRedirects(), IsEmpty());
        std::string why;
        const auto journal =
            parseJournal(files.files.at(second.store.pathFor(second.table.self())), why);
        ASSERT_TRUE(journal) << why;
        for (const JournalEntry& entry : journal->entries)
            EXPECT_TRUE(entry.shared) << entry.queueName;

        Copy& early = firstEndsFirst ? first : second;
        Copy& late = firstEndsFirst ? second : first;
        early.redirector.restorePrinterQueues();
        early.table.end();
        EXPECT_THAT(spooler.ports(), ElementsAre("FILE:", "FILE:", "FILE:", "FILE:", "COM22:"));

        // The last one keeps what it cannot give back now for its next restore.
        spooler.queue("Office").openable = false;
        late.redirector.restorePrinterQueues();
        spooler.queue("Office").openable = true;
        late.redirector.restorePrinterQueues();
        EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002", "COM10:", "COM22:"));
        EXPECT_EQ(spooler.queue("Office").state, "idle");
        EXPECT_EQ(spooler.queue("Desk").attributes, 0x0A48u);
        EXPECT_THAT(files.files, IsEmpty());
    }
}

// A record of another copy is only believed as far as the queue bears it out: a queue that
// copy claims to hold but that is not aside keeps its own port when this copy ends.
TEST_F(QueueJournalTest, ASharedQueueIsGivenBackOnlyWhileItIsStillAside) {
    Copy liar(spooler, files, processes, 1);
    liar.store.save({{"Office", {"COM1:?elsewhere", 0, ""}, false, false}});
    Copy honest(spooler, files, processes, 2);
    honest.redirector.redirectPrinterQueues("COM1", "");
    liar.table.end();
    honest.redirector.restorePrinterQueues();
    EXPECT_EQ(spooler.queue("Office").portName, "COM1:");
    EXPECT_EQ(files.files.count(honest.store.pathFor(honest.table.self())), 0u);
    // The journal of a copy that has ended holds nothing: its queues are this copy's to move.
    honest.redirector.redirectPrinterQueues("COM1", "");
    EXPECT_EQ(spooler.queue("Office").portName, "FILE:");
}

} // namespace
