#pragma once
// At every start of the program, before anything else: the printer queues that runs which
// ended without giving them back (killed, crashed, cut off by a power failure) left moved
// aside are given back from those runs' journals.
#include "platform/Spooler.h"
#include "printqueues/QueueServices.h"
#include "printqueues/RedirectionJournalStore.h"

#include <functional>
#include <string>

using ReplayReport = std::function<void(const std::string& line)>;

// Each journal whose owner no longer runs is replayed: a queue still on "FILE:" gets its saved
// record back; a queue changed since (by an administrator) is left alone; a queue that another
// running copy also holds is left to that copy. Each outcome worth knowing is one report line.
// A journal that is not whole is refused, never half applied, and renamed aside.
void replayEndedRunJournals(RedirectionJournalStore& store, Spooler& spooler,
                            const ReplayReport& report);

// The same over the given services, with the journals in journalDirectory (where the log goes).
// The caller writes each line at once, so that it stays even if this run dies too.
void restoreQueuesOfEndedRuns(const QueueServices& services, const std::string& journalDirectory,
                              const ReplayReport& report);
