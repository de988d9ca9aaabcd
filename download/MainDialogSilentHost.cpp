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
    } else {
        exitStatus_ = kExitNothingDownloaded;
        runEnd.outcome = RunOutcome::Failed;
    }
    runEnd.exitStatus = exitStatus_;
    runEnd.durationMs = parts_.clock.tickCount() - startTick;
    observer_->runEnded(runEnd);
}
