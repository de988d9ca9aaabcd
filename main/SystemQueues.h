#pragma once
// The print queues of this system, as both programs' entry points hand them to the core.
#include "app/EventLog.h"
#include "printqueues/QueueJournalReplay.h"
#include "printqueues/QueueServices.h"

// The system's state files, process table and spooler.
QueueServices systemQueueServices();

// Gives back the queues that ended runs left moved aside (journals in the log's directory).
// Each line goes to the log, written at once, and to echo when it is given.
void restoreQueuesAtStart(EventLog& log, const ReplayReport& echo);
