#pragma once
// What queue redirection needs of the system, handed in by the program's entry point so that the
// redirection itself never reaches for a global: the state files its journals live in, the
// process table that says whether a journal's owner still runs, and the print spooler (opened
// only when there is something to do, as connecting to it may be slow).
#include "platform/ProcessTable.h"
#include "platform/Spooler.h"
#include "platform/StateFiles.h"

#include <functional>
#include <memory>

struct QueueServices {
    StateFiles& stateFiles;
    ProcessTable& processes;
    std::function<std::unique_ptr<Spooler>()> openSpooler;
};
