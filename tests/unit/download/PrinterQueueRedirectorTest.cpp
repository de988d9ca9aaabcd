#include "download/PrinterQueueRedirector.h"

#include "download/RedirectionJournalStore.h"
#include "support/FakeSpooler.h"
#include "support/FakeStateFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

class PrinterQueueRedirectorTest : public ::testing::Test {
  protected:
    FakeSpooler spooler;
    PrinterQueueRedirector redirector{spooler};

    std::vector<std::string> ports() const {
        std::vector<std::string> list;
        for (const auto& q : spooler.queues) {
            list.push_back(q.portName);
        }
        return list;
    }
};

TEST_F(PrinterQueueRedirectorTest, SerialJobMovesItsPortAndEveryUsbQueueAndRestoresThem) {
    spooler.add("Office", "COM1:", "Generic Text");
    spooler.add("Desk", "USB001", "T90 Prime", 0x0240);
    spooler.add("Labels", "LPT1:", "T90 Prime");
    spooler.add("Second", "COM10:", "Generic Text"); // substring test: COM1 is in COM10:
    spooler.add("Tenth", "COM2:", "Generic Text");

    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(ports(), ElementsAre("FILE:", "FILE:", "LPT1:", "FILE:", "COM2:"));
    EXPECT_EQ(spooler.queue("Desk").attributes, 0x0240u); // no model name: attributes stay
    const auto& map = redirector.printerQueueRedirects();
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at("Office").savedPortName, "COM1:");
    EXPECT_EQ(map.at("Desk").savedPortName, "USB001");
    EXPECT_FALSE(map.at("Desk").attributesChanged);
    EXPECT_EQ(map.at("Second").savedPortName, "COM10:");
    EXPECT_THAT(spooler.calls,
                ElementsAre("enumerate", "open Office", "read Office", "write Office FILE: 0",
                            "close Office", "open Desk", "read Desk", "write Desk FILE: 576",
                            "close Desk", "open Second", "read Second", "write Second FILE: 0",
                            "close Second"));

    spooler.calls.clear();
    redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("COM1:", "USB001", "LPT1:", "COM10:", "COM2:"));
    EXPECT_THAT(redirector.printerQueueRedirects(), IsEmpty());
    EXPECT_EQ(std::count_if(spooler.calls.begin(), spooler.calls.end(),
                            [](const std::string& c) { return c.rfind("write", 0) == 0; }),
              3);

    spooler.calls.clear();
    redirector.restorePrinterQueues(); // nothing left to do
    EXPECT_THAT(spooler.calls, IsEmpty());
}

TEST_F(PrinterQueueRedirectorTest, UsbJobMatchesByModelNameAndMakesThoseQueuesRawOnly) {
    spooler.add("Prime", "USB001", "Maker T90 Prime Driver", 0x0A48);
    spooler.add("Other", "USB002", "Maker T90 Standard Driver", 0x0048);
    spooler.add("Serial", "COM1:", "Maker T90 Prime Driver", 0x0048);
    const std::string path =
        "\\\\?\\usb#vid_f0a0&pid_0025#1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

    redirector.redirectPrinterQueues(path, "T90 Prime");
    EXPECT_THAT(ports(), ElementsAre("FILE:", "USB002", "COM1:"));
    EXPECT_EQ(spooler.queue("Prime").attributes, kRawOnlyAttribute);
    EXPECT_EQ(spooler.queue("Other").attributes, 0x0048u);
    ASSERT_EQ(redirector.printerQueueRedirects().size(), 1u);
    const QueueRedirect& saved = redirector.printerQueueRedirects().at("Prime");
    EXPECT_TRUE(saved.attributesChanged);
    EXPECT_EQ(saved.savedAttributes, 0x0A48u);

    spooler.calls.clear();
    redirector.restorePrinterQueues();
    // Port first, then the attributes in a second write.
    EXPECT_THAT(spooler.calls, ElementsAre("open Prime", "read Prime", "write Prime USB001 4096",
                                           "write Prime USB001 2632", "close Prime"));
    EXPECT_EQ(spooler.queue("Prime").attributes, 0x0A48u);
}

TEST_F(PrinterQueueRedirectorTest, ModelNameStripsDevicePrefixAndColonsFromThePort) {
    EXPECT_EQ(stripDevicePrefixes("\\\\.\\COM12"), "COM12");
    EXPECT_EQ(stripDevicePrefixes("\\\\.\\\\\\.\\A:B:"), "AB");

    spooler.add("Twelve", "COM12:", "Generic");
    spooler.add("One", "COM1:", "Generic");
    redirector.redirectPrinterQueues("\\\\.\\COM12", "T90 Prime");
    EXPECT_THAT(ports(), ElementsAre("FILE:", "COM1:"));
    EXPECT_FALSE(redirector.printerQueueRedirects().at("Twelve").attributesChanged);

    // Without a model name the argument stays whole, so no queue name contains it.
    redirector.redirectPrinterQueues("\\\\.\\COM12", "");
    EXPECT_THAT(ports(), ElementsAre("COM12:", "COM1:"));
    EXPECT_THAT(redirector.printerQueueRedirects(), IsEmpty());
}

TEST_F(PrinterQueueRedirectorTest, UnopenableQueueStaysInTheMapAndIsRestoredWhenItOpens) {
    spooler.add("Locked", "COM1:", "Generic");
    spooler.add("Free", "COM1:", "Generic");
    spooler.queue("Locked").openable = false;

    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(ports(), ElementsAre("COM1:", "FILE:"));
    EXPECT_EQ(redirector.printerQueueRedirects().count("Locked"), 1u);

    // Someone else moved it meanwhile; restoring writes its own port back once it opens.
    spooler.queue("Locked").openable = true;
    spooler.queue("Locked").portName = "FILE:";
    redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("COM1:", "COM1:"));
}

TEST_F(PrinterQueueRedirectorTest, UnreadableRecordStopsFurtherChangesInThatCall) {
    spooler.add("First", "COM1:", "Generic");
    spooler.add("Broken", "COM1:", "Generic");
    spooler.add("Later", "USB003", "T90");
    spooler.add("Unrelated", "LPT2:", "Generic");
    spooler.queue("Broken").readable = false;

    redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(ports(), ElementsAre("FILE:", "COM1:", "USB003", "LPT2:"));
    EXPECT_EQ(redirector.printerQueueRedirects().size(), 3u);
    // The later match is still opened and closed, but not read or written.
    EXPECT_THAT(std::vector<std::string>(spooler.calls.end() - 2, spooler.calls.end()),
                ElementsAre("open Later", "close Later"));

    spooler.queue("Broken").readable = true;
    spooler.calls.clear();
    redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("COM1:", "COM1:", "USB003", "LPT2:"));
    EXPECT_THAT(spooler.calls, ::testing::Contains("write Later USB003 0"));
}

TEST_F(PrinterQueueRedirectorTest, SecondDownloadRestoresTheFirstBeforeRedirecting) {
    spooler.add("Serial", "COM1:", "Generic");
    spooler.add("Parallel", "LPT1:", "Generic");

    redirector.redirectPrinterQueues("COM1", "");
    redirector.redirectPrinterQueues("LPT1", "");
    EXPECT_THAT(ports(), ElementsAre("COM1:", "FILE:"));
    EXPECT_THAT(redirector.printerQueueRedirects(), ::testing::SizeIs(1));
    EXPECT_EQ(redirector.printerQueueRedirects().at("Parallel").savedPortName, "LPT1:");
}

TEST_F(PrinterQueueRedirectorTest, QueueThatCannotBeRestoredIsKeptForTheNextRestore) {
    spooler.add("Flaky", "COM1:", "Generic");
    spooler.add("Steady", "COM1:", "Generic");
    redirector.redirectPrinterQueues("COM1", "");

    spooler.queue("Flaky").openable = false;
    redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("FILE:", "COM1:"));
    ASSERT_EQ(redirector.printerQueueRedirects().size(), 1u);

    spooler.queue("Flaky").openable = true;
    spooler.queue("Flaky").writable = false;
    redirector.restorePrinterQueues();
    EXPECT_EQ(redirector.printerQueueRedirects().size(), 1u);

    spooler.queue("Flaky").writable = true;
    redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("COM1:", "COM1:"));
    EXPECT_THAT(redirector.printerQueueRedirects(), IsEmpty());
}

TEST_F(PrinterQueueRedirectorTest, DestructionGivesBackWhatIsStillRedirected) {
    spooler.add("Serial", "COM1:", "Generic");
    {
        PrinterQueueRedirector forgetful(spooler);
        forgetful.redirectPrinterQueues("COM1", "");
        EXPECT_THAT(ports(), ElementsAre("FILE:"));
    }
    EXPECT_THAT(ports(), ElementsAre("COM1:"));
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
        for (const std::string& call : spooler.calls) {
            if (call.rfind("journal", 0) == 0 || call.rfind("write", 0) == 0) {
                list.push_back(call);
            }
        }
        return list;
    }
};

TEST_F(QueueJournalTest, WrittenBeforeEachChangeAndRemovedAfterTheRestore) {
    spooler.add("Office", "COM1:", "Generic");
    spooler.add("Desk", "USB001", "T90 Prime", 0x0240);
    spooler.queue("Office").state = "idle";
    Copy copy(spooler, files, processes, 100);
    copy.redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(journalAndWrites(), ElementsAre("journal 1", "write Office FILE: 0", "journal 2",
                                                "write Desk FILE: 576"));
    std::string why;
    const auto journal = parseJournal(files.files.at(copy.store.pathFor({100, "t100"})), why);
    ASSERT_TRUE(journal) << why;
    EXPECT_EQ(journal->owner, (ProcessIdentity{100, "t100"}));
    ASSERT_EQ(journal->entries.size(), 2u);
    EXPECT_EQ(journal->entries[1].queueName, "Office");
    EXPECT_EQ(journal->entries[1].saved.portName, "COM1:");
    EXPECT_EQ(journal->entries[1].saved.spoolerState, "idle");

    copy.redirector.restorePrinterQueues();
    EXPECT_THAT(ports(), ElementsAre("COM1:", "USB001"));
    EXPECT_EQ(spooler.queue("Office").state, "idle");
    EXPECT_EQ(spooler.calls.back(), "journal removed");
    EXPECT_THAT(files.files, IsEmpty());
}

TEST_F(QueueJournalTest, QueueIsNotMovedWhenItsJournalCannotBeWritten) {
    spooler.add("Office", "COM1:", "Generic");
    files.writable = false;
    Copy copy(spooler, files, processes, 100);
    copy.redirector.redirectPrinterQueues("COM1", "");
    EXPECT_THAT(ports(), ElementsAre("COM1:"));
    EXPECT_THAT(journalAndWrites(), ElementsAre("journal 1"));
}

TEST_F(QueueJournalTest, TwoCopiesOnOneDeviceLeaveTheQueueAsideUntilTheLastEnds) {
    for (const bool firstEndsFirst : {true, false}) {
        spooler.queues.clear();
        spooler.add("Office", "COM1:", "Generic");
        spooler.add("Desk", "USB001", "T90 Prime", 0x0240);
        spooler.queue("Office").state = "idle";
        Copy first(spooler, files, processes, 1);
        first.redirector.redirectPrinterQueues("COM1", "");
        spooler.calls.clear();

        // The second copy sees Office on "FILE:" and matches it by the port it will get back,
        // but neither moves it nor takes "FILE:" for its own port.
        Copy second(spooler, files, processes, 2);
        second.redirector.redirectPrinterQueues("COM1", "");
        EXPECT_THAT(journalAndWrites(), ElementsAre("journal 2"));
        EXPECT_THAT(second.redirector.printerQueueRedirects(), IsEmpty());

        Copy& early = firstEndsFirst ? first : second;
        Copy& late = firstEndsFirst ? second : first;
        early.redirector.restorePrinterQueues();
        processes.end(early.table.self());
        EXPECT_THAT(ports(), ElementsAre("FILE:", "FILE:")) << firstEndsFirst;

        late.redirector.restorePrinterQueues();
        EXPECT_THAT(ports(), ElementsAre("COM1:", "USB001")) << firstEndsFirst;
        EXPECT_EQ(spooler.queue("Office").state, "idle");
        EXPECT_THAT(files.files, IsEmpty());
    }
}

} // namespace
