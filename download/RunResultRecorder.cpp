#include "download/RunResultRecorder.h"

#include "app/ExitStatus.h"
#include "platform/Interrupt.h"

namespace {
std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

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
    result_.exitStatus = end.exitStatus;
    result_.bytesSent = end.bytesSent;
    result_.durationMs = end.durationMs;
    result_.logLine = context_.loggedLine();
    if (!end.reason.empty()) {
        result_.reason = end.reason;
    }
    result_.printerVersionBefore = end.versionBefore;
    result_.printerVersionAfter = end.versionAfter;
    result_.verified = end.verified;
    complete_ = true;
}

void RunResultRecorder::noUsbPrinter(const std::string& modelName, int32_t modelCode,
                                     const std::string& firmwarePath, int exitStatus) {
    result_.outcome = RunOutcome::Failed;
    result_.exitStatus = exitStatus;
    result_.model = modelName;
    result_.modelCode = modelCode;
    result_.port = "USB";
    result_.reason = "no attached USB printer belongs to model " + std::to_string(modelCode);
    describeFile(firmwarePath);
    complete_ = true;
}

void RunResultRecorder::startupNotes(const std::string& refusal,
                                     const std::vector<std::string>& warnings) {
    result_.warnings = warnings;
    if (!refusal.empty() && result_.outcome == RunOutcome::Invalid) {
        result_.reason = refusal;
    }
}

void RunResultRecorder::endedUnreported(int exitStatus) {
    result_.exitStatus = exitStatus;
    result_.outcome = exitStatus == kExitInvalidParameters ? RunOutcome::Invalid
                      : exitStatus == kExitInterrupted     ? RunOutcome::Interrupted
                                                           : RunOutcome::Failed;
    result_.logLine = context_.loggedLine();
    complete_ = true;
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
