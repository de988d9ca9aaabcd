#include "silentrun/MainDialogSilentHost.h"

#include "engine/ModelRules.h"

#include "platform/Interrupt.h"

MainDialogSilentHost::MainDialogSilentHost(Parts parts) : parts_(std::move(parts)) {}

RunEnd runUnattended(const StartupPlan& plan, MainDialogSilentHost& host,
                     const std::function<void()>& flushLog) {
    RunEnd end;
    switch (plan.run) {
    case PlannedRun::Silent:
        return host.run(plan.job);
    case PlannedRun::NoUsbPrinter:
        end.outcome = RunOutcome::Failed;
        end.noUsbPrinter = true;
        end.reason =
            "no attached USB printer belongs to model " + std::to_string(plan.job.modelCode);
        break;
    case PlannedRun::Invalid:
    case PlannedRun::Interactive: // never hosted here: a window needs a display
        end.outcome = RunOutcome::Invalid;
        end.reason = plan.job.refusal;
        break;
    }
    flushLog();
    return end;
}

RunEnd MainDialogSilentHost::run(const DownloadJob& job) {
    observer_->runStarted(job);
    const uint32_t startTick = parts_.clock.tickCount();
    // Asked on a connection of its own before the transfer opens the port, so no byte goes in
    // between the transfer's own; a model whose transfer asks the version anyway (its FPGA
    // check) is not asked twice: the transfer's answer is taken.
    const bool transferAsksVersion = hasModelFlag(job.modelCode, kFpgaCheck);
    std::optional<std::string> versionBefore =
        parts_.verify.verify && !transferAsksVersion && !interruptRequested()
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
        if (transferAsksVersion) {
            versionBefore = dialog.printerVersionReply();
        }
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
        runEnd.outcome = RunOutcome::Interrupted;
    } else if (outcome == MainDialog::Outcome::Completed) {
        runEnd.outcome = RunOutcome::Sent;
        if (parts_.verify.verify) {
            verifyUpdate(job, versionBefore, runEnd);
        }
    } else {
        runEnd.outcome = RunOutcome::Failed;
    }
    runEnd.durationMs = parts_.clock.tickCount() - startTick;
    return runEnd;
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
        runEnd.outcome = RunOutcome::Unverified;
    }
}
