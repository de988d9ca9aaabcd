#include "ui/win32/InteractiveRunner.h"

InteractiveRunner::InteractiveRunner(InteractiveServices services, MainWindowRunner& otherRuns,
                                     int& exitStatus)
    : services_(services), otherRuns_(otherRuns), exitStatus_(exitStatus) {}

void InteractiveRunner::run(const DownloadJob& job) {
    if (job.silentRun != 0 || job.quitAtStart != 0) {
        otherRuns_.run(job);
        return;
    }
    exitStatus_ = runInteractiveMainWindow(job, services_);
}
