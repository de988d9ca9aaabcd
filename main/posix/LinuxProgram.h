#pragma once
// The one start-up of the two Linux programs: `mirelith`, which has no window and hands an
// interactive run over to `mirelith-gui` by exec, and `mirelith-gui`, which shows the window.
// Everything but the window is this one path, so a run is read, planned, logged and ended the
// same way whichever of the two starts it.
#include "app/DownloadJob.h"
#include "app/EventLog.h"
#include "ports/PrinterPort.h"
#include "printqueues/QueueRedirection.h"

#include <functional>
#include <string>

// What an interactive run's window gets of the run.
struct WindowRun {
    const DownloadJob& job;
    PrinterPort& port;
    NetConnection& socket;
    QueueRedirection& queues;
    EventLog& log;
    // Writes one line on standard error.
    std::function<void(const std::string&)> printLine;
};

struct LinuxProgram {
    // The Qt version the window was built with, for "--version"; empty without the window.
    std::string qtVersion;
    // For an interactive plan, before anything of the run is said or written: the program
    // without the window hands the whole run over here, and returns only when it cannot.
    std::function<void()> handOver;
    // The interactive run; its exit status.
    std::function<int(const WindowRun& run)> runWindow;
};

int runLinuxProgram(int argc, char** argv, const LinuxProgram& program);
