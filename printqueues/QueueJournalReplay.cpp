#include "printqueues/QueueJournalReplay.h"

#include "printqueues/PrinterQueueRedirector.h"

#include <algorithm>
#include <map>

namespace {

enum class Outcome { Done, TryAgain };

// Still as the ended run left it: on "FILE:", with the attributes it set or found.
bool stillAside(const PrinterQueueRecord& now, const JournalEntry& entry) {
    return now.portName == kRedirectPortName &&
           (!entry.attributesChanged || now.attributes == kRawOnlyAttribute ||
            now.attributes == entry.saved.attributes);
}

Outcome replayEntry(Spooler& spooler, const JournalEntry& entry,
                    const std::vector<PrinterQueueInfo>& listed, const ReplayReport& report) {
    const std::string& name = entry.queueName;
    std::unique_ptr<SpoolerQueue> queue = spooler.openQueue(name);
    PrinterQueueRecord now;
    if (!queue || !queue->readRecord(now)) {
        const bool gone = !listed.empty() &&
                          std::none_of(listed.begin(), listed.end(),
                                       [&](const auto& info) { return info.printerName == name; });
        if (gone) {
            report("Printer queue " + name + " no longer exists; nothing to restore");
            return Outcome::Done;
        }
        // The spooler may not be running yet: the journal stays for the next start.
        report("Printer queue " + name + " could not be restored now; tried again at next start");
        return Outcome::TryAgain;
    }
    if (stillAside(now, entry)) {
        if (!writeSavedRecord(*queue, now, entry.saved, entry.attributesChanged)) {
            report("Printer queue " + name +
                   " could not be restored now; tried again at next start");
            return Outcome::TryAgain;
        }
        report("Restored printer queue " + name + " to " + entry.saved.portName);
        return Outcome::Done;
    }
    // As saved: the ended run never moved it (it was stopped already), or gave it back itself.
    const bool asSaved =
        now.portName == entry.saved.portName ||
        (!now.spoolerState.empty() && now.spoolerState == entry.saved.spoolerState);
    if (!asSaved) {
        report("Printer queue " + name + " was changed while redirected; left as it is");
    }
    return Outcome::Done;
}

} // namespace

void replayEndedRunJournals(RedirectionJournalStore& store, Spooler& spooler,
                            const ReplayReport& report) {
    const std::vector<RedirectionJournalStore::Found> journals = store.others();
    std::map<std::string, bool> heldByRunning;
    std::vector<const RedirectionJournalStore::Found*> ended;
    for (const auto& found : journals) {
        if (!found.journal) {
            const std::string aside = store.setAside(found.path);
            report("Refused printer queue journal " + found.path + " (" + found.refusal +
                   "); kept as " + aside);
        } else if (store.isRunning(found.journal->owner)) {
            for (const JournalEntry& entry : found.journal->entries) {
                heldByRunning[entry.queueName] = true;
            }
        } else {
            ended.push_back(&found);
        }
    }
    if (ended.empty()) {
        return;
    }
    const std::vector<PrinterQueueInfo> listed = spooler.enumerateLocalQueues();
    for (const auto* found : ended) {
        RedirectionJournal left{found->journal->owner, {}};
        for (const JournalEntry& entry : found->journal->entries) {
            // A running copy that shares the queue gives it back when it ends.
            if (heldByRunning.count(entry.queueName) == 0 &&
                replayEntry(spooler, entry, listed, report) == Outcome::TryAgain) {
                left.entries.push_back(entry);
            }
        }
        store.rewrite(found->path, left);
    }
}

void restoreQueuesOfEndedRuns(const QueueServices& services, const std::string& journalDirectory,
                              const ReplayReport& report) {
    RedirectionJournalStore store(services.stateFiles, services.processes, journalDirectory);
    // Most starts find no journal: then neither the lock file nor the spooler is touched.
    if (store.others().empty()) {
        return;
    }
    const std::unique_ptr<StateFileLock> lock = store.lock();
    const std::unique_ptr<Spooler> spooler = services.openSpooler();
    replayEndedRunJournals(store, *spooler, report);
}
