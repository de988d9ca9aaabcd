#pragma once
// The main-window runner of the Linux program built with the window: an interactive run gets
// the Qt main window when a display can be opened, every other run goes to the runner that
// hosts silent and invalid runs. Without a display it says so in one line and sets exit
// status 4, as the build without the window does.
#include "app/MainWindowRunner.h"
#include "app/Reporter.h"
#include "ui/qt/QtMainWindow.h"

#include <functional>
#include <string>

class QtInteractiveRunner : public MainWindowRunner {
  public:
    QtInteractiveRunner(QtInteractiveServices services, MainWindowRunner& otherRuns,
                        int& exitStatus, std::function<void(const std::string&)> printLine);
    void run(const DownloadJob& job) override;

  private:
    QtInteractiveServices services_;
    MainWindowRunner& otherRuns_;
    int& exitStatus_;
    std::function<void(const std::string&)> printLine_;
};

// Reports of an interactive run: a message box captioned "QEM_NUV" without an owner for
// toFile 0, the event log's file for the rest.
class QtMessageReporter : public Reporter {
  public:
    explicit QtMessageReporter(Reporter& fileLog) : fileLog_(fileLog) {}
    void report(int32_t toFile, LogLevel level, std::string text) override;

  private:
    Reporter& fileLog_;
};

// Why no window can be shown: empty when Qt can open its platform here. Qt ends the process
// with its own message when it cannot, so the platform is tried in a child process first.
std::string displayUnavailableReason();
