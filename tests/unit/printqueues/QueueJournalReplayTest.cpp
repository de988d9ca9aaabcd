#include "printqueues/QueueJournalReplay.h"

#include "printqueues/PrinterQueueRedirector.h"
#include "support/EngineFiles.h"
#include "support/FakeSpooler.h"
#include "support/FakeStateFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RedirectionJournal, ReadsBackWhatItWroteAndRefusesAnyCutOrGarbage) {
    // The file outlives the program that wrote it: a later version must read it as it is.
    const std::string text = "mirelith-queue-journal 1\n"
                             "owner 4242 boot-77\n"
                             "queue Front%20desk%20100%25 USB001 576 1 0 5%0A1%0Aout%20of%20paper\n"
                             "queue Q COM1: 0 0 1 %\n"
                             "end 2\n";
    const RedirectionJournal journal{
        {4242, "boot-77"},
        {{"Front desk 100%", {"USB001", 0x0240, "5\n1\nout of paper"}, true, false},
         {"Q", {"COM1:", 0, ""}, false, true}}};
    EXPECT_EQ(formatJournal(journal), text);
    std::string why;
    const auto read = parseJournal(text, why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(read->entries, journal.entries);
    EXPECT_EQ(read->owner, journal.owner);

    // A journal cut anywhere (a torn write, a file truncated on disk) is not applied in part.
    for (size_t length = 0; length < text.size(); ++length)
        EXPECT_FALSE(parseJournal(text.substr(0, length), why)) << length;
    EXPECT_FALSE(parseJournal("VORANEX NUV\r\n\r\n", why));
    std::string flipped = text;
    flipped[text.find("\nqueue ") + 2] = 'X';
    EXPECT_FALSE(parseJournal(flipped, why));
    EXPECT_EQ(why, "line 3 is not a queue record");
    // Nor a record with a field too many or too few, a flag not 0 or 1, or a number that is
    // not one or does not fit.
    for (const char* bad : {"Q COM1: 0 0 1 % x", "Q COM1: 0 0 1", "Q COM1: 0 2 1 %",
                            "Q COM1: 0x1 0 1 %", "Q COM1: 4294967296 0 1 %"}) {
        std::string changed = text;
        changed.replace(text.find("Q COM1: 0 0 1 %"), 15, bad);
        EXPECT_FALSE(parseJournal(changed, why)) << bad;
    }
    EXPECT_FALSE(parseJournal("mirelith-queue-journal 1\nowner 4294967296 b\nend 0\n", why));
}

namespace {

class QueueJournalReplayTest : public ::testing::Test {
  protected:
    FakeSpooler spooler;
    FakeStateFiles files{spooler.calls};
    FakeProcesses processes;
    FakeProcessTable starting{processes, {9, "t9"}};
    RedirectionJournalStore store{files, starting, "/log"};
    std::vector<std::string> reports;

    // A journal as a run of process pid left it; the run then ends unless told otherwise.
    std::string leaveJournal(uint32_t pid, const std::vector<JournalEntry>& entries,
                             bool ended = true) {
        FakeProcessTable owner(processes, {pid, "t" + std::to_string(pid)});
        RedirectionJournalStore(files, owner, "/log").save(entries);
        if (ended)
            owner.end();
        return store.pathFor(owner.self());
    }
    void replay() {
        replayEndedRunJournals(store, spooler,
                               [&](const std::string& line) { reports.push_back(line); });
    }
};

} // namespace

TEST_F(QueueJournalReplayTest, EndedRunsQueuesGetTheirSavedRecordsBackUnlessChangedSince) {
    spooler.queues = {{"Office", "FILE:", "Generic", 0, "aside"},
                      {"Desk", "FILE:", "T90 Prime", kRawOnlyAttribute},
                      {"Reset", "FILE:", "T90 Prime", 0x0240}, // its own attributes back already
                      {"Moved", "LPT1:", "Generic"}, // an administrator put it elsewhere meanwhile
                      {"Locked", "FILE:", "Generic"},
                      {"Shared", "FILE:", "Generic"},
                      {"Busy", "FILE:", "Generic"},
                      {"Stuck", "FILE:", "Generic"}};
    spooler.queue("Locked").openable = false;
    spooler.queue("Stuck").writable = false; // the spooler refuses the saved record for now
    const std::string ended = leaveJournal(7, {{"Office", {"COM1:", 0, "idle"}, false, false},
                                               {"Desk", {"USB001", 0x0240, ""}, true, false},
                                               {"Reset", {"USB002", 0x0240, ""}, true, false},
                                               {"Moved", {"COM2:", 0, ""}, false, false},
                                               {"Gone", {"COM3:", 0, ""}, false, false},
                                               {"Locked", {"COM1:", 0, ""}, false, false},
                                               {"Shared", {"COM1:", 0, ""}, false, false},
                                               {"Stuck", {"COM1:", 0, ""}, false, false}});
    // A copy still running holds Shared too (and Busy): it gives them back when it ends.
    const std::string running = leaveJournal(
        8, {{"Shared", {"COM1:", 0, ""}, false, true}, {"Busy", {"COM1:", 0, ""}, false, false}},
        false);
    const std::string runningText = files.files.at(running);

    replay();
    EXPECT_THAT(spooler.ports(), ElementsAre("COM1:", "USB001", "USB002",
                                             "LPT1:", "FILE:", "FILE:", "FILE:", "FILE:"));
    EXPECT_EQ(spooler.queue("Office").state, "idle");
    EXPECT_EQ(spooler.queue("Desk").attributes, 0x0240u);
    EXPECT_THAT(reports,
                ElementsAre("Restored printer queue Office to COM1:",
                            "Restored printer queue Desk to USB001",
                            "Restored printer queue Reset to USB002",
                            "Printer queue Moved was changed while redirected; left as it is",
                            "Printer queue Gone no longer exists; nothing to restore",
                            "Printer queue Locked could not be restored now; tried again at "
                            "next start",
                            "Printer queue Stuck could not be restored now; tried again at "
                            "next start"));
    EXPECT_EQ(files.files.at(running), runningText);
    std::string why;
    ASSERT_EQ(parseJournal(files.files.at(ended), why)->entries.size(), 2u);

    // The next start gives the last ones back and the ended run's journal goes.
    spooler.queue("Locked").openable = true;
    spooler.queue("Stuck").writable = true;
    reports.clear();
    replay();
    EXPECT_THAT(reports, ElementsAre("Restored printer queue Locked to COM1:",
                                     "Restored printer queue Stuck to COM1:"));
    EXPECT_EQ(files.files.count(ended), 0u);
}

// A journal cut short, or one the system says must not be believed (another user's, a link, a
// huge file), is refused, set aside and reported once; no queue is touched on its word.
TEST_F(QueueJournalReplayTest, RefusedJournalIsKeptAsideAndNothingApplied) {
    for (const bool torn : {true, false}) {
        SCOPED_TRACE(torn);
        files.files.clear();
        reports.clear();
        spooler.queues = {{"Office", "FILE:", "Generic"}};
        const std::string path = leaveJournal(7, {{"Office", {"COM1:", 0, ""}, false, false}});
        if (torn)
            files.files.at(path).resize(files.files.at(path).size() - 4);
        else
            files.refused[path] = "owned by another user";

        replay();
        EXPECT_EQ(spooler.queue("Office").portName, "FILE:");
        EXPECT_THAT(reports,
                    ElementsAre("Refused printer queue journal " + path + " (" +
                                (torn ? "the last line is cut short" : "owned by another user") +
                                "); kept as " + path + ".refused"));
        EXPECT_THAT(files.files, ElementsAre(::testing::Key(path + ".refused")));
        reports.clear();
        replay(); // read once, reported once
        EXPECT_THAT(reports, IsEmpty());
    }
    // One removed between the listing and the read was its owner's to remove: nothing to say.
    files.files.clear();
    files.vanishing = {leaveJournal(8, {{"Office", {"COM1:", 0, ""}, false, false}})};
    files.files.clear();
    replay();
    EXPECT_THAT(reports, IsEmpty());
    EXPECT_THAT(files.files, IsEmpty());
}

// Most starts find no journal: they lock nothing, so no lock file (nor its directory) appears.
TEST(QueueJournalReplayAtStart, AStartWithoutJournalsCreatesNoFile) {
    enginefakes::ScratchDir scratch;
    bool spoolerOpened = false;
    restoreQueuesOfEndedRuns({systemStateFiles(), systemProcessTable(),
                              [&] {
                                  spoolerOpened = true;
                                  return std::unique_ptr<Spooler>(new FakeSpooler);
                              }},
                             scratch.path("logs"), [](const std::string&) {});
    EXPECT_FALSE(spoolerOpened);
    EXPECT_FALSE(std::filesystem::exists(scratch.path("logs")));
}
