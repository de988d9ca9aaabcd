#pragma once
// Where there is no graphical main window (a Linux build without it), an interactive run cannot
// proceed: this says so in one line, with how to run a silent download instead (exit status 4).
#include "app/InteractiveWindow.h"

#include <functional>
#include <string>

class InteractiveUnavailableRunner : public InteractiveWindow {
  public:
    static constexpr const char* kMessage =
        "mirelith: the graphical mode is available in the Windows build (mirelith.exe); "
        "for a silent download run 'mirelith -s -p NET <address> -m <model> -f <file>' "
        "or put a qemnuv.ini in the current directory";

    explicit InteractiveUnavailableRunner(std::function<void(const std::string&)> printLine);
    int run(const DownloadJob& job) override;

  private:
    std::function<void(const std::string&)> printLine_;
};
