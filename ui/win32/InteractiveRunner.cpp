#include "ui/win32/InteractiveRunner.h"

InteractiveRunner::InteractiveRunner(InteractiveServices services) : services_(services) {}

int InteractiveRunner::run(const DownloadJob& job) {
    return runInteractiveMainWindow(job, services_);
}
