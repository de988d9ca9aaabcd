#include "app/InteractiveUnavailableRunner.h"

#include "app/ExitStatus.h"

InteractiveUnavailableRunner::InteractiveUnavailableRunner(
    std::function<void(const std::string&)> printLine)
    : printLine_(std::move(printLine)) {}

int InteractiveUnavailableRunner::run(const DownloadJob&) {
    printLine_(kMessage);
    return kExitNoGraphicalMode;
}
