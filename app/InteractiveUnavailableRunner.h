#pragma once
// Where there is no graphical main window (the Linux build), an interactive run cannot
// proceed: this runner says so in one line, with how to run a silent download instead, and
// sets exit status 4. Silent and invalid runs go on to the wrapped runner.
#include "app/MainWindowRunner.h"

#include <functional>
#include <string>

class InteractiveUnavailableRunner : public MainWindowRunner {
  public:
    static constexpr const char* kMessage =
        "mirelith: the graphical mode is available in the Windows build (mirelith.exe); "
        "for a silent download run 'mirelith -s -p NET <address> -m <model> -f <file>' "
        "or put a qemnuv.ini in the current directory";

    InteractiveUnavailableRunner(MainWindowRunner& silentRunner, int& exitStatus,
                                 std::function<void(const std::string&)> printLine);
    void run(const DownloadJob& job) override;

  private:
    MainWindowRunner& silentRunner_;
    int& exitStatus_;
    std::function<void(const std::string&)> printLine_;
};
