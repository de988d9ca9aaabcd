#pragma once
// At every start of the program, before anything else: the printer queues that runs which
// ended without giving them back (killed, crashed, cut off by a power failure) left moved
// aside are given back from those runs' journals.
#include "download/RedirectionJournalStore.h"
#include "platform/Spooler.h"

#include <functional>
#include <string>

class EventLog;

using ReplayReport = std::function<void(const std::string& line)>;

// Each journal whose owner no longer runs is replayed: a queue still on "FILE:" gets its saved
// record back; a queue changed since (by an administrator) is left alone; a queue that another
// running copy also holds is left to that copy. Each outcome worth knowing is one report line.
// A journal that is not whole is refused, never half applied, and renamed aside.
void replayEndedRunJournals(RedirectionJournalStore& store, Spooler& spooler,
                            const ReplayReport& report);

// The same over the system's spooler, files and processes, with the journals in the log's
// directory. The lines go to the log, written at once so that they stay even if this run dies
// too, and to echo as well when it is given.
void restoreQueuesOfEndedRuns(EventLog& log, const ReplayReport& echo = {});
