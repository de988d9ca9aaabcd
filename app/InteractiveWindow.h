#pragma once
// The main window of an interactive run, shown for the job's defaults until the user closes it
// (modally). Each program hosts it its own way (a Win32 dialog, a Qt window, a line saying why
// there is none, a fake in tests).
#include "app/DownloadJob.h"

class InteractiveWindow {
  public:
    virtual ~InteractiveWindow() = default;
    // Returns the process's exit status.
    virtual int run(const DownloadJob& job) = 0;
};
