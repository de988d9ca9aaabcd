#pragma once
// Runs the main window of a silent run without showing anything: the engine's window is an
// EventLoop (a headless loop on Linux, a hidden 0 x 0 window on Windows) and the run ends when
// the engine closes it, in one RunEnd: sent, failed, interrupted by a termination signal (the
// queues are restored and the port closed first), or sent but, with --verify, not verified.
#include "app/Reporter.h"
#include "app/StartupPlan.h"
#include "engine/MainDialog.h"
#include "engine/MainDialogView.h"
#include "engine/PrinterVerification.h"
#include "engine/RunObserver.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "ports/PrinterPort.h"
#include "printqueues/QueueRedirection.h"

#include <functional>
#include <memory>

class MainDialogSilentHost final : private MainDialogView {
  public:
    struct Parts {
        PrinterPort& port;
        NetConnection& socket;
        QueueRedirection& queues;
        Reporter& reporter;
        Clock& clock;
        // Made when a silent run starts; it ends the run when a termination signal arrives
        // (the entry point watches them from its start, so none is lost before the loop runs).
        std::function<std::unique_ptr<EventLoop>()> makeLoop;
        std::function<void()> flushLog;
        // With --verify: what to check, and how to reach the printer to ask it (nothing while
        // it cannot be reached).
        VerifySettings verify = {};
        std::function<std::unique_ptr<PrinterReplies>(const PortSettings&)> connectPrinter = {};
    };

    explicit MainDialogSilentHost(Parts parts);
    // A silent job, from its start to its end. Its progress goes to the run observer; its end
    // is returned, not reported.
    RunEnd run(const DownloadJob& job);
    // Who hears how the run goes (terminal lines, the result file).
    void setRunObserver(RunObserver& observer) { observer_ = &observer; }

  private:
    // The printer's version now, asked once; nothing when it cannot be reached or does not say.
    std::optional<std::string> askVersionOnce(const PortSettings& port);
    // After a whole transfer: waits for the printer's restart and judges what it says.
    void verifyUpdate(const DownloadJob& job, const std::optional<std::string>& before,
                      RunEnd& runEnd);

    void setTimer(int32_t id, uint32_t intervalMs) override { loop_->setTimer(id, intervalMs); }
    void killTimer(int32_t id) override { loop_->killTimer(id); }
    void repaintWindow() override {}
    void repaintProgressBar() override {}
    void enableControl(int32_t, bool) override {}
    void showHelpText(const std::string&) override {}
    void showCompletionDialog() override {}
    void closeWindow() override { loop_->close(); }
    void setFineTimerResolution(bool on) override { loop_->setFineTimerResolution(on); }

    // Passes the engine's reports on and keeps the byte count for the end of the run.
    class ByteCounter final : public RunObserver {
      public:
        explicit ByteCounter(RunObserver*& next) : next_(next) {}
        void bytesSent(int64_t sent, int64_t total) override {
            this->sent = sent;
            next_->bytesSent(sent, total);
        }
        void settling(uint32_t ticksLeft, uint32_t intervalMs) override {
            next_->settling(ticksLeft, intervalMs);
        }
        void waitingForPrinter(uint32_t msLeft) override { next_->waitingForPrinter(msLeft); }
        int64_t sent = 0;

      private:
        RunObserver*& next_;
    };

    Parts parts_;
    std::unique_ptr<EventLoop> loop_;
    RunObserver noObserver_;
    RunObserver* observer_ = &noObserver_;
};

// Every plan but the interactive one, run to its end: a silent job by the host; a refused one
// and one without a USB printer end at once (the log is written first, as the host does).
RunEnd runUnattended(const StartupPlan& plan, MainDialogSilentHost& host,
                     const std::function<void()>& flushLog);
