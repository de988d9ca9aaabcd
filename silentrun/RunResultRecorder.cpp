#include "silentrun/RunResultRecorder.h"

#include "app/ExitStatus.h"
#include "app/TextRules.h"
#include "platform/Interrupt.h"

RunResultRecorder::RunResultRecorder(const RunContext& context, FileSystem& files,
                                     std::string version, WallClock now)
    : context_(context), files_(files), now_(std::move(now)) {
    result_.version = std::move(version);
    result_.logFile = context_.logPath;
    // An invalid run never starts: its time is that of start-up.
    result_.started = isoUtc(now_());
}

void RunResultRecorder::runStarted(const DownloadJob& job) {
    result_.started = isoUtc(now_());
    result_.model = job.modelName;
    result_.modelCode = job.modelCode;
    const PortSettings& port = job.portSettings;
    result_.port = context_.portLabel(port.portName, port.baudRate);
    const std::string device = context_.device(port.portName, port.baudRate);
    if (!device.empty()) {
        result_.device = device;
    }
    // Read before the engine opens it, so the digest is of the file as the run found it.
    describeFile(job.firmwarePath);
}

void RunResultRecorder::runEnded(const RunEnd& end) {
    result_.outcome = end.outcome;
    result_.exitStatus = exitStatusFor(end.outcome);
    result_.bytesSent = end.bytesSent;
    result_.durationMs = end.durationMs;
    result_.logLine = context_.loggedLine();
    if (!end.reason.empty()) {
        result_.reason = end.reason;
    }
    result_.printerVersionBefore = end.versionBefore;
    result_.printerVersionAfter = end.versionAfter;
    result_.verified = end.verified;
}

void RunResultRecorder::noUsbPrinter(const DownloadJob& job) {
    result_.model = job.modelName;
    result_.modelCode = job.modelCode;
    result_.port = "USB";
    describeFile(job.firmwarePath);
}

void RunResultRecorder::startupWarnings(const std::vector<std::string>& warnings) {
    result_.warnings = warnings;
}

void RunResultRecorder::describeFile(const std::string& firmwarePath) {
    result_.file = fileNameOf(firmwarePath);
    // A termination request stops the hashing: the run ends at once, its result without a
    // digest rather than late.
    if (const std::optional<FileDigest> digest =
            digestFile(files_, firmwarePath, [] { return interruptRequested(); })) {
        result_.fileSize = digest->size;
        if (!digest->sha256.empty()) {
            result_.sha256 = digest->sha256;
        }
    }
}
