#include "silentrun/SilentRunViews.h"

#include "app/RunResult.h"
#include "platform/PortDeviceDescription.h"
#include "platform/TextEscape.h"

SilentRunViews::SilentRunViews(Settings settings, EventLog& log, FileSystem& files, Clock& clock)
    : settings_(std::move(settings)), log_(log) {
    context_.portLabel = [](const std::string& name, int32_t tcpPort) {
        return describePort(name, tcpPort).port;
    };
    context_.device = [](const std::string& name, int32_t tcpPort) {
        return describePort(name, tcpPort).device;
    };
    context_.settingsSource = [this] {
        if (!plan_.settingsFromIni) {
            return std::string("the command line");
        }
        return std::string("qemnuv.ini") +
               (settings_.commandLineGiven ? " (the command line is ignored while it exists)" : "");
    };
    context_.loggedLine = [this] { return lastLogLineText(flushedLines_ + log_.pending()); };
    context_.logPath = log.filePath();

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

void SilentRunViews::planned(const StartupPlan& plan) {
    plan_ = plan;
    if (recorder_) {
        recorder_->startupWarnings(plan.job.warnings);
    }
    if (settings_.terminal == nullptr || settings_.style.quiet) {
        return;
    }
    for (const std::string& warning : plan.job.warnings) {
        // The words warned about come from the command line or qemnuv.ini: kept to one line.
        std::fprintf(settings_.terminal, "mirelith: warning: %s\n", escapeForLine(warning).c_str());
    }
    std::fflush(settings_.terminal);
}

void SilentRunViews::flushLog() {
    flushedLines_ += log_.pending();
    log_.flush();
}

bool SilentRunViews::finish(const RunEnd& end, std::string& error) {
    if (end.noUsbPrinter) {
        if (terminal_) {
            terminal_->noUsbPrinter(plan_.job);
        }
        if (recorder_) {
            recorder_->noUsbPrinter(plan_.job);
        }
    }
    observers_.runEnded(end);
    if (!recorder_) {
        return true;
    }
    return writeFileAtomically(*settings_.resultPath, toJson(recorder_->result()), error);
}
