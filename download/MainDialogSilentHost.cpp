#include "download/MainDialogSilentHost.h"

#include "app/ExitStatus.h"

MainDialogSilentHost::MainDialogSilentHost(Parts parts, int& exitStatus)
    : parts_(std::move(parts)), exitStatus_(exitStatus) {}

void MainDialogSilentHost::run(const DownloadJob& job) {
    if (job.quitAtStart != 0) {
        parts_.flushLog();
        exitStatus_ = kExitInvalidParameters;
        return;
    }
    if (job.silentRun == 0) {
        // Only silent runs are hosted here; an interactive run needs a real window.
        exitStatus_ = kExitNoGraphicalMode;
        return;
    }
    loop_ = parts_.makeLoop();
    EventLoop::End end = EventLoop::End::Closed;
    MainDialog::Outcome outcome = MainDialog::Outcome::None;
    {
        MainDialog dialog(*this, parts_.port, parts_.socket, parts_.queues, parts_.reporter,
                          parts_.clock);
        dialog.setJob(job);
        dialog.startDownload();
        parts_.reporter.report(1, LogLevel::Trace, "Complete!!");
        end = loop_->run([&](int32_t id) { dialog.onTimer(id); });
        // Whatever is still held (an interrupted transfer) is given back before the log is
        // written.
        dialog.onDestroy();
        outcome = dialog.outcome();
    }
    loop_.reset();
    if (end == EventLoop::End::Interrupted) {
        parts_.flushLog();
        exitStatus_ = kExitInterrupted;
        return;
    }
    exitStatus_ = outcome == MainDialog::Outcome::Completed ? kExitNormal : kExitNothingDownloaded;
}
