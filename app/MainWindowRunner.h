#pragma once
// Runs the main window for one job until it closes (modally). Start-up fills the job and hands
// it over; the runner decides how the window is hosted (a real dialog, a hidden window or a
// headless loop for a silent run, a fake in tests).
#include "app/DownloadJob.h"

class MainWindowRunner {
  public:
    virtual ~MainWindowRunner() = default;
    virtual void run(const DownloadJob& job) = 0;
};
