#include "printqueues/PrinterQueueRedirector.h"

#include "platform/Spooler.h"
#include "printqueues/RedirectionJournalStore.h"

const char kRedirectPortName[] = "FILE:";

namespace {

// An empty part is contained in every text.
bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void eraseAll(std::string& text, const std::string& part) {
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

PrinterQueueRecord savedRecord(const QueueRedirect& redirect) {
    return {redirect.savedPortName, redirect.savedAttributes, redirect.savedSpoolerState};
}

enum class GiveBack { Always, OnlyWhileAside };

// False only when the queue could not be read or written now (worth trying again).
bool giveBack(Spooler& spooler, const std::string& name, const PrinterQueueRecord& saved,
              bool attributesChanged, GiveBack when = GiveBack::Always) {
    std::unique_ptr<SpoolerQueue> queue = spooler.openQueue(name);
    PrinterQueueRecord record;
    if (!queue || !queue->readRecord(record)) {
        return false;
    }
    if (when == GiveBack::OnlyWhileAside && record.portName != kRedirectPortName) {
        return true; // given back already, or changed by an administrator: left as it is
    }
    return writeSavedRecord(*queue, record, saved, attributesChanged);
}

} // namespace

std::string stripDevicePrefixes(std::string portArg) {
    eraseAll(portArg, "\\\\.\\");
    eraseAll(portArg, ":");
    return portArg;
}

bool writeSavedRecord(SpoolerQueue& queue, PrinterQueueRecord current,
                      const PrinterQueueRecord& saved, bool attributesChanged) {
    current.portName = saved.portName;
    current.spoolerState = saved.spoolerState;
    bool restored = queue.writeRecord(current);
    if (attributesChanged) {
        current.attributes = saved.attributes;
        restored = queue.writeRecord(current) && restored;
    }
    return restored;
}

PrinterQueueRedirector::PrinterQueueRedirector(const QueueServices& services,
                                               const std::string& journalDirectory)
    : ownedSpooler_(services.openSpooler()),
      ownedJournal_(std::make_unique<RedirectionJournalStore>(
          services.stateFiles, services.processes, journalDirectory)),
      spooler_(*ownedSpooler_), journal_(ownedJournal_.get()) {}

PrinterQueueRedirector::PrinterQueueRedirector(Spooler& spooler, RedirectionJournalStore* journal)
    : spooler_(spooler), journal_(journal) {}

// The owner restores the queues at the end of every download; this is the last safety net for a
// path that forgot to, so no queue outlives the program stopped or on "FILE:".
PrinterQueueRedirector::~PrinterQueueRedirector() {
    restorePrinterQueues();
}

void PrinterQueueRedirector::redirectPrinterQueues(std::string portArg, std::string modelArg) {
    restorePrinterQueues();
    const std::vector<PrinterQueueInfo> queues = spooler_.enumerateLocalQueues();
    if (!modelArg.empty()) {
        portArg = stripDevicePrefixes(portArg);
    }
    const std::unique_ptr<StateFileLock> lock = journal_ ? journal_->lock() : nullptr;
    const std::map<std::string, JournalEntry> held =
        journal_ ? journal_->heldByRunningCopies() : std::map<std::string, JournalEntry>{};
    // Once one record could not be read, no further queue is changed in this call; the later
    // matches are still remembered, so a restore writes their own ports back.
    bool changesStopped = false;
    for (const PrinterQueueInfo& info : queues) {
        // A queue another copy has moved aside is matched by the port it will get back.
        const auto heldEntry = held.find(info.printerName);
        const std::string& port =
            heldEntry != held.end() ? heldEntry->second.saved.portName : info.portName;
        const bool usbPort = contains(port, "USB");
        if (!contains(port, portArg) && !(usbPort && contains(info.driverName, modelArg))) {
            continue;
        }
        if (heldEntry != held.end()) {
            JournalEntry shared = heldEntry->second;
            shared.shared = true;
            sharedQueues_[info.printerName] = shared;
            continue;
        }
        QueueRedirect& redirect = printerQueueRedirects_[info.printerName];
        redirect = QueueRedirect{info.portName, false, 0, {}, false};

        std::unique_ptr<SpoolerQueue> queue = spooler_.openQueue(info.printerName);
        if (!queue || changesStopped) {
            continue;
        }
        PrinterQueueRecord record;
        if (!queue->readRecord(record)) {
            changesStopped = true;
            continue;
        }
        if (record.portName == kRedirectPortName) {
            // Moved aside between the listing and now by a copy whose journal is not readable:
            // taking "FILE:" as the queue's own port would keep it there for good.
            printerQueueRedirects_.erase(info.printerName);
            continue;
        }
        redirect.savedSpoolerState = record.spoolerState;
        if (usbPort && !modelArg.empty()) {
            redirect.savedAttributes = record.attributes;
            redirect.attributesChanged = true;
            record.attributes = kRawOnlyAttribute;
        }
        redirect.changed = true;
        if (!saveJournal()) {
            // A change that could not be recorded first could not be undone after a crash.
            redirect = QueueRedirect{info.portName, false, 0, {}, false};
            continue;
        }
        record.portName = kRedirectPortName;
        queue->writeRecord(record);
    }
    if (!sharedQueues_.empty()) {
        saveJournal();
    }
}

void PrinterQueueRedirector::restorePrinterQueues() {
    if (printerQueueRedirects_.empty() && sharedQueues_.empty()) {
        return;
    }
    const std::unique_ptr<StateFileLock> lock = journal_ ? journal_->lock() : nullptr;
    const std::map<std::string, JournalEntry> held =
        journal_ ? journal_->heldByRunningCopies() : std::map<std::string, JournalEntry>{};
    // A queue that cannot be given its port back now is kept, so the next restore (the end of
    // the download, the window's destruction, the next download) tries again instead of leaving
    // it on "FILE:" for good. A queue that another running copy also holds is left to it: that
    // copy gives it back when it ends, so the device stays free until the last one is done.
    std::map<std::string, QueueRedirect> pending;
    for (auto& [name, redirect] : printerQueueRedirects_) {
        if (redirect.changed && held.count(name) != 0) {
            continue;
        }
        if (!giveBack(spooler_, name, savedRecord(redirect), redirect.attributesChanged)) {
            pending.emplace(name, redirect);
        }
    }
    std::map<std::string, JournalEntry> pendingShared;
    for (auto& [name, entry] : sharedQueues_) {
        // The saved record came from another copy's journal: it is written only over the state
        // the program itself leaves, never over a queue that has its port again.
        if (held.count(name) == 0 && !giveBack(spooler_, name, entry.saved, entry.attributesChanged,
                                               GiveBack::OnlyWhileAside)) {
            pendingShared.emplace(name, entry);
        }
    }
    printerQueueRedirects_ = std::move(pending);
    sharedQueues_ = std::move(pendingShared);
    saveJournal();
}

bool PrinterQueueRedirector::saveJournal() {
    if (journal_ == nullptr) {
        return true;
    }
    std::vector<JournalEntry> entries;
    for (const auto& [name, redirect] : printerQueueRedirects_) {
        if (redirect.changed) {
            entries.push_back({name, savedRecord(redirect), redirect.attributesChanged, false});
        }
    }
    for (const auto& [name, entry] : sharedQueues_) {
        entries.push_back(entry);
    }
    if (entries.empty() && !journalOnDisk_) {
        return true;
    }
    if (!journal_->save(entries)) {
        return false;
    }
    journalOnDisk_ = !entries.empty();
    return true;
}
