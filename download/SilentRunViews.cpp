#include "download/SilentRunViews.h"

#include "app/TextRules.h"
#include "platform/PortDeviceDescription.h"
#include "platform/ProcessEnvironment.h"
#include "platform/TextEscape.h"

SilentRunViews::SilentRunViews(Settings settings, const FirmwareApp& app, EventLog& log,
                               FileSystem& files, Clock& clock)
    : settings_(std::move(settings)), app_(app), log_(log), files_(files) {
    context_.portLabel = [](const std::string& name, int32_t tcpPort) {
        return describePort(name, tcpPort).port;
    };
    context_.device = [](const std::string& name, int32_t tcpPort) {
        return describePort(name, tcpPort).device;
    };
    context_.settingsSource = [this] {
        // The INI file decides whenever it exists in the start directory; this only says so.
        const std::string ini =
            joinPath(app_.startDirectory, pathSeparator(), FirmwareApp::kIniFileName);
        if (files_.probeReadable(ini).status == ProbeStatus::Missing) {
            return std::string("the command line");
        }
        return std::string(FirmwareApp::kIniFileName) +
               (settings_.commandLineGiven ? " (the command line is ignored while it exists)" : "");
    };
    context_.loggedLine = [this] { return lastLogLineText(flushedLines_ + log_.pending()); };
    context_.logPath = log.filePath();

    observers_.add(endWatch_);
    if (settings_.resultPath) {
        recorder_ = std::make_unique<RunResultRecorder>(context_, files, settings_.version);
        observers_.add(*recorder_);
    }
    if (settings_.terminal != nullptr) {
        terminal_ = std::make_unique<TerminalProgress>(settings_.terminal, settings_.style,
                                                       context_, files, clock);
        observers_.add(*terminal_);
    }
}

void SilentRunViews::startupWarnings(const DownloadJob& job) {
    if (settings_.terminal == nullptr || settings_.style.quiet || warningsShown_) {
        return;
    }
    warningsShown_ = true;
    for (const std::string& warning : job.warnings) {
        // The words warned about come from the command line or qemnuv.ini: kept to one line.
        std::fprintf(settings_.terminal, "mirelith: warning: %s\n", escapeForLine(warning).c_str());
    }
    std::fflush(settings_.terminal);
}

void SilentRunViews::flushLog() {
    flushedLines_ += log_.pending();
    log_.flush();
}

bool SilentRunViews::finish(int exitStatus, std::string& error) {
    // A silent run always reaches the host, which reports its end, unless start-up found no
    // USB printer for it and ended there.
    const bool endedEarly = app_.runMode == RunMode::Silent && !endWatch_.ended;
    if (endedEarly) {
        startupWarnings(app_.job);
        if (terminal_) {
            terminal_->noUsbPrinter(app_.modelName, app_.modelCode);
        }
        if (recorder_) {
            recorder_->noUsbPrinter(
                app_.modelName, app_.modelCode,
                pathInDirectory(app_.startDirectory, pathSeparator(), app_.firmwareFileName),
                exitStatus);
        }
    }
    if (!recorder_ || app_.runMode == RunMode::Interactive) {
        return true; // no result asked for, or no silent run
    }
    if (!recorder_->complete()) {
        // Every silent run reports its end; should one not have, its result still says how it
        // ended rather than leaving the caller without one.
        recorder_->endedUnreported(exitStatus);
    }
    recorder_->startupNotes(app_.job.refusal, app_.job.warnings);
    return writeFileAtomically(*settings_.resultPath, toJson(recorder_->result()), error);
}
