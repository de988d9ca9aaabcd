#pragma once
// The interactive window of the Windows program: the real main window.
#include "app/InteractiveWindow.h"
#include "ui/win32/MainWindow.h"

class InteractiveRunner : public InteractiveWindow {
  public:
    explicit InteractiveRunner(InteractiveServices services);
    int run(const DownloadJob& job) override;

  private:
    InteractiveServices services_;
};
