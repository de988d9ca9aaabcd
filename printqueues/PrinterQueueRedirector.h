#pragma once
// Moves the local printer queues that use the printer's device to "FILE:" for the time of a
// download, and gives them their ports back afterwards.
//
// With a journal, what will be given back is on disk before a queue is changed, so a run that
// dies meanwhile is undone at the next start (see QueueJournalReplay.h); and a queue that
// another running copy of the program has moved aside is left to it: it is neither moved nor
// given back here, only remembered, so that whichever copy ends last gives it back.
#include "printqueues/QueueRedirection.h"
#include "printqueues/QueueServices.h"
#include "printqueues/RedirectionJournal.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Spooler;
class SpoolerQueue;
class RedirectionJournalStore;

struct QueueRedirect {
    std::string savedPortName;
    bool attributesChanged = false;
    uint32_t savedAttributes = 0; // meaningful only when attributesChanged
    std::string savedSpoolerState;
    bool changed = false; // moved aside by this run, and so in its journal
};

constexpr uint32_t kRawOnlyAttribute = 0x1000;
extern const char kRedirectPortName[]; // "FILE:"

class PrinterQueueRedirector final : public QueueRedirection {
  public:
    // Over the given services, with its journal in journalDirectory (where the log goes).
    PrinterQueueRedirector(const QueueServices& services, const std::string& journalDirectory);
    // The spooler and the journal must outlive the redirector; without a journal nothing is
    // kept on disk and no other copy of the program is seen.
    explicit PrinterQueueRedirector(Spooler& spooler, RedirectionJournalStore* journal = nullptr);
    // Gives back whatever is still redirected.
    ~PrinterQueueRedirector() override;
    PrinterQueueRedirector(const PrinterQueueRedirector&) = delete;
    PrinterQueueRedirector& operator=(const PrinterQueueRedirector&) = delete;

    // portArg is the job's port name; modelArg is empty for COM and LPT jobs and the model's
    // name for a USB device path. Undoes an earlier redirection first.
    void redirectPrinterQueues(std::string portArg, std::string modelArg) override;
    void restorePrinterQueues() override;

    // Keyed by queue name.
    const std::map<std::string, QueueRedirect>& printerQueueRedirects() const {
        return printerQueueRedirects_;
    }

  private:
    // False when the journal could not be written.
    bool saveJournal();

    std::unique_ptr<Spooler> ownedSpooler_;
    std::unique_ptr<RedirectionJournalStore> ownedJournal_;
    Spooler& spooler_;
    RedirectionJournalStore* journal_;
    std::map<std::string, QueueRedirect> printerQueueRedirects_;
    std::map<std::string, JournalEntry> sharedQueues_;
    bool journalOnDisk_ = false;
};

// The port argument as matched when a model name is given: every "\\.\" and then every ":"
// taken out.
std::string stripDevicePrefixes(std::string portArg);

// Gives an open queue its saved record back: the port name (with the spooler's state) in one
// write, then, when they were changed, the attributes in a second. `current` is the record just
// read from the queue. False when a write failed.
bool writeSavedRecord(SpoolerQueue& queue, PrinterQueueRecord current,
                      const PrinterQueueRecord& saved, bool attributesChanged);
