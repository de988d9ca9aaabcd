#pragma once
// What both programs do with a run once their own options are answered: give back the queues
// that ended runs left moved aside, plan the run from its arguments, and host every run but the
// interactive one to its end. Only the window and where the terminal lines go differ between
// the programs.
#include "app/EventLog.h"
#include "app/StartupPlan.h"
#include "app/ToolOptions.h"
#include "platform/SocketLayer.h"
#include "ports/NetPort.h"
#include "ports/PortDriver.h"
#include "printqueues/PrinterQueueRedirector.h"
#include "printqueues/QueueJournalReplay.h"
#include "silentrun/SilentRunViews.h"

#include <cstdio>
#include <optional>

// The printer services of a run: its ports and the print queues it moves aside.
struct PrinterServices {
    explicit PrinterServices(EventLog& log);
    PortDriver port;
    NetPort socket;
    PrinterQueueRedirector queues;
};

// One run on this system's services. The socket layer is started first and cleaned up last, so
// it outlives every socket of the run.
class SystemRun {
  public:
    // Gives back the queues of ended runs (each line to the log, written at once, and to echo
    // when it is given), then plans the run; a socket layer that cannot start is said in a
    // message box, as the run may still use a serial or parallel port.
    SystemRun(EventLog& log, const ToolOptions& options, const ReplayReport& echo);

    const StartupPlan& plan() const { return plan_; }
    // Made on first use, so that a run handed over to another program has opened nothing (no
    // connection to the print system) before it goes.
    PrinterServices& services();

  private:
    EventLog& log_;
    SocketLayer sockets_;
    StartupPlan plan_;
    std::optional<PrinterServices> services_;
};

// Hosts a run without a window in a headless event loop to its one end; the terminal lines and
// the result file follow from it through views. Its exit status. A result file that could not
// be written is said on errors, when given (the window program has nowhere to say it).
int runWithoutWindow(SystemRun& run, const ToolOptions& options, SilentRunViews& views,
                     EventLog& log, std::FILE* errors);
