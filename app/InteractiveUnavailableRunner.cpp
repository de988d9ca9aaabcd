#include "app/InteractiveUnavailableRunner.h"

#include "app/ExitStatus.h"

InteractiveUnavailableRunner::InteractiveUnavailableRunner(
    MainWindowRunner& silentRunner, int& exitStatus,
    std::function<void(const std::string&)> printLine)
    : silentRunner_(silentRunner), exitStatus_(exitStatus), printLine_(std::move(printLine)) {}

void InteractiveUnavailableRunner::run(const DownloadJob& job) {
    if (job.silentRun == 0 && job.quitAtStart == 0) {
        printLine_(kMessage);
        exitStatus_ = kExitNoGraphicalMode;
        return;
    }
    silentRunner_.run(job);
}
