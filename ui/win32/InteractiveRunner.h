#pragma once
// The main-window runner of the Windows program: an interactive run gets the real main window,
// every other run goes to the runner that hosts silent and invalid runs.
#include "app/MainWindowRunner.h"
#include "ui/win32/MainWindow.h"

class InteractiveRunner : public MainWindowRunner {
  public:
    InteractiveRunner(InteractiveServices services, MainWindowRunner& otherRuns, int& exitStatus);
    void run(const DownloadJob& job) override;

  private:
    InteractiveServices services_;
    MainWindowRunner& otherRuns_;
    int& exitStatus_;
};
