#pragma once
// The record of the printer queues one run has moved aside, kept on disk while they are aside so
// that a run that dies before giving them back (killed, crashed, power cut) can be undone at the
// next start of the program. One text file per run; a file that is not whole is refused.
#include "platform/ProcessTable.h"
#include "platform/Spooler.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JournalEntry {
    std::string queueName;
    // The queue as it was before: port name, attributes and the spooler's own state.
    PrinterQueueRecord saved;
    bool attributesChanged = false;
    // Moved aside by another run that was still going; kept here too so that whichever of the
    // two ends last gives the queue back.
    bool shared = false;

    friend bool operator==(const JournalEntry& a, const JournalEntry& b) {
        return a.queueName == b.queueName && a.saved.portName == b.saved.portName &&
               a.saved.attributes == b.saved.attributes &&
               a.saved.spoolerState == b.saved.spoolerState &&
               a.attributesChanged == b.attributesChanged && a.shared == b.shared;
    }
};

struct RedirectionJournal {
    ProcessIdentity owner;
    std::vector<JournalEntry> entries;
};

std::string formatJournal(const RedirectionJournal& journal);
// Nothing when the text is not a whole journal of this format; `why` then says what is wrong.
std::optional<RedirectionJournal> parseJournal(std::string_view text, std::string& why);
