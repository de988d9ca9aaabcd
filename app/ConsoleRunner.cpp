#include "app/ConsoleRunner.h"

#include "app/ExitStatus.h"

ConsoleRunner::ConsoleRunner(EventLog& log, int& exitStatus,
                             std::function<void(const std::string&)> printLine)
    : log_(log), exitStatus_(exitStatus), printLine_(std::move(printLine)) {}

void ConsoleRunner::run(const DownloadJob& job) {
    if (job.quitAtStart != 0) {
        log_.flush();
        exitStatus_ = kExitInvalidParameters;
        return;
    }
    printLine_(describeJob(job));
    if (job.silentRun != 0) {
        // No transfer engine behind this runner: nothing reached the printer.
        exitStatus_ = kExitNothingDownloaded;
    }
}

std::string describeJob(const DownloadJob& job) {
    const PortSettings& p = job.portSettings;
    const char* mode = job.quitAtStart ? "invalid" : job.silentRun ? "silent" : "interactive";
    std::string line = std::string("mode=") + mode;
    if (job.silentRun == 0) {
        return line;
    }
    line += " model=\"" + job.modelName + "\" code=" + std::to_string(job.modelCode);
    line += " file=\"" + job.firmwarePath + "\" port=\"" + p.portName + "\"";
    line += " baud=" + std::to_string(p.baudRate) + " data=" + std::to_string(p.dataBits);
    line += " stop=" + std::to_string(p.stopBits) + " parity=" + std::to_string(p.parity);
    line += " handshake=" + std::to_string(p.handshake);
    line += " timeouts=" + std::to_string(p.timeouts.readIntervalTimeout) + "," +
            std::to_string(p.timeouts.readTotalTimeoutMultiplier) + "," +
            std::to_string(p.timeouts.readTotalTimeoutConstant) + "," +
            std::to_string(p.timeouts.writeTotalTimeoutMultiplier) + "," +
            std::to_string(p.timeouts.writeTotalTimeoutConstant);
    line +=
        " buffers=" + std::to_string(p.readBufferSize) + "," + std::to_string(p.spareBufferSize);
    line += " reserved=" + std::to_string(p.reserved1) + "," + std::to_string(p.reserved2) + "," +
            std::to_string(p.reserved3) + "," + std::to_string(p.reserved4) + "," +
            std::to_string(p.reserved5);
    return line;
}
