#pragma once
// A main-window runner without a window: it ends an invalid run (log flushed, exit status 1)
// and, for the other modes, prints what start-up decided. Used until the real main window is
// wired in, and handy to see how a command line or INI file is understood.
#include "app/EventLog.h"
#include "app/MainWindowRunner.h"

#include <functional>
#include <string>

class ConsoleRunner : public MainWindowRunner {
  public:
    ConsoleRunner(EventLog& log, int& exitStatus,
                  std::function<void(const std::string&)> printLine);
    void run(const DownloadJob& job) override;

  private:
    EventLog& log_;
    int& exitStatus_;
    std::function<void(const std::string&)> printLine_;
};

// One line describing the job: mode, model, code, file and port settings.
std::string describeJob(const DownloadJob& job);
