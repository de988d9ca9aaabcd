#include "download/MainDialogSilentHost.h"

#include "app/ExitStatus.h"
#include "platform/Interrupt.h"

MainDialogSilentHost::MainDialogSilentHost(Parts parts, int& exitStatus)
    : parts_(std::move(parts)), exitStatus_(exitStatus) {}

void MainDialogSilentHost::run(const DownloadJob& job) {
    if (job.quitAtStart != 0) {
        parts_.flushLog();
        exitStatus_ = kExitInvalidParameters;
        RunEnd end;
        end.outcome = RunOutcome::Invalid;
        end.exitStatus = exitStatus_;
        end.reason = job.refusal;
        observer_->runEnded(end);
        return;
    }
    if (job.silentRun == 0) {
        // Only silent runs are hosted here; an interactive run needs a real window.
        exitStatus_ = kExitNoGraphicalMode;
        return;
    }
    observer_->runStarted(job);
    const uint32_t startTick = parts_.clock.tickCount();
    // Asked on a connection of its own before the transfer opens the port, so no byte goes in
    // between the transfer's own.
    const std::optional<std::string> versionBefore = parts_.verify.verify && !interruptRequested()
                                                         ? askVersionOnce(job.portSettings)
                                                         : std::nullopt;
    ByteCounter bytes(observer_);
    loop_ = parts_.makeLoop();
    EventLoop::End end = EventLoop::End::Closed;
    MainDialog::Outcome outcome = MainDialog::Outcome::None;
    RunEnd runEnd;
    {
        MainDialog dialog(*this, parts_.port, parts_.socket, parts_.queues, parts_.reporter,
                          parts_.clock);
        dialog.setJob(job);
        dialog.setRunObserver(&bytes);
        // A run asked to stop before it began does not begin: no queue is moved aside, no
        // port or connection opened.
        if (interruptRequested()) {
            end = EventLoop::End::Interrupted;
        } else {
            dialog.startDownload();
            parts_.reporter.report(1, LogLevel::Trace, "Complete!!");
            end = loop_->run([&](int32_t id) { dialog.onTimer(id); });
        }
        runEnd.imageLength = dialog.imageLength;
        // Whatever is still held (an interrupted transfer) is given back before the log is
        // written.
        dialog.onDestroy();
        outcome = dialog.outcome();
        if (outcome == MainDialog::Outcome::Failed) {
            runEnd.reason = !dialog.failureReason().empty() ? dialog.failureReason()
                            : dialog.useNetwork != 0        ? parts_.socket.lastErrorText()
                                                            : parts_.port.lastErrorText();
        }
    }
    runEnd.interruptSignal =
        loop_->interruptSignal() != 0 ? loop_->interruptSignal() : interruptingSignal();
    loop_.reset();
    runEnd.bytesSent = bytes.sent;
    if (end == EventLoop::End::Interrupted) {
        parts_.flushLog();
        exitStatus_ = kExitInterrupted;
        runEnd.outcome = RunOutcome::Interrupted;
    } else if (outcome == MainDialog::Outcome::Completed) {
        exitStatus_ = kExitNormal;
        runEnd.outcome = RunOutcome::Sent;
        if (parts_.verify.verify) {
            verifyUpdate(job, versionBefore, runEnd);
        }
    } else {
        exitStatus_ = kExitNothingDownloaded;
        runEnd.outcome = RunOutcome::Failed;
    }
    runEnd.exitStatus = exitStatus_;
    runEnd.durationMs = parts_.clock.tickCount() - startTick;
    observer_->runEnded(runEnd);
}

std::optional<std::string> MainDialogSilentHost::askVersionOnce(const PortSettings& port) {
    if (!parts_.connectPrinter) {
        return std::nullopt;
    }
    const std::unique_ptr<PrinterReplies> printer = parts_.connectPrinter(port);
    return printer ? askIdentity(*printer, parts_.clock, IdentityField::Firmware) : std::nullopt;
}

void MainDialogSilentHost::verifyUpdate(const DownloadJob& job,
                                        const std::optional<std::string>& before, RunEnd& runEnd) {
    const VerifySettings& verify = parts_.verify;
    runEnd.versionBefore = before;
    const std::optional<std::string> after = awaitPrinterVersion(
        [&]() -> std::unique_ptr<PrinterReplies> {
            return parts_.connectPrinter ? parts_.connectPrinter(job.portSettings) : nullptr;
        },
        parts_.clock, verify.timeoutSeconds * 1000, [] { return interruptRequested(); },
        [&](uint32_t msLeft) { observer_->waitingForPrinter(msLeft); });
    if (interruptRequested()) {
        parts_.flushLog();
        exitStatus_ = kExitInterrupted;
        runEnd.outcome = RunOutcome::Interrupted;
        runEnd.interruptSignal = interruptingSignal();
        return;
    }
    runEnd.versionAfter = after;
    const VerifyVerdict verdict = judgeVersion(before, after, verify.expectedVersion);
    runEnd.verified = isVerified(verdict);
    if (!*runEnd.verified) {
        parts_.reporter.report(
            1, LogLevel::Notice,
            notVerifiedText(after, verify.expectedVersion, verify.timeoutSeconds));
        exitStatus_ = kExitNotVerified;
        runEnd.outcome = RunOutcome::Unverified;
    }
}
