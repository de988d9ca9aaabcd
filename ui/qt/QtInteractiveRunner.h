#pragma once
// The interactive window of mirelith-gui: the Qt main window when a display can be opened.
// Without a display it says so in one line and ends with exit status 4, as mirelith does where
// mirelith-gui is not installed.
#include "app/InteractiveWindow.h"
#include "app/Reporter.h"
#include "ui/qt/QtMainWindow.h"

#include <functional>
#include <string>

class QtInteractiveRunner : public InteractiveWindow {
  public:
    QtInteractiveRunner(QtInteractiveServices services,
                        std::function<void(const std::string&)> printLine);
    int run(const DownloadJob& job) override;

  private:
    QtInteractiveServices services_;
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
