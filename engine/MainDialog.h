#pragma once
// The engine half of the main window: the job it was given, the state of one download and the
// steps that prepare it, send it and clean up after it. It talks to its window only through
// MainDialogView, so the same engine runs in the Win32 dialog, in the silent hosts and in tests.
#include "app/DownloadJob.h"
#include "app/Reporter.h"
#include "engine/FirmwareImage.h"
#include "engine/MainDialogView.h"
#include "engine/RunObserver.h"
#include "platform/Clock.h"
#include "ports/PrinterPort.h"
#include "printqueues/QueueRedirection.h"

#include <cstdint>
#include <optional>
#include <string>

class MainDialog : public DownloadJob {
  public:
    MainDialog(MainDialogView& view, PrinterPort& port, NetConnection& socket,
               QueueRedirection& printerQueueRedirects, Reporter& reporter, Clock& clock);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Takes the job start-up prepared (the DownloadJob fields).
    void setJob(const DownloadJob& job) { static_cast<DownloadJob&>(*this) = job; }
    // Who hears of the bytes sent and the settle phase (a silent run's terminal and result).
    void setRunObserver(RunObserver* observer) { observer_ = observer; }

    // Download button (control 1002).
    void onDownloadClicked();
    // Download command for models 100 and 101: converts the HEX or S-record file first.
    void downloadHexFile();
    // Prepares the job and arms timer 1 (port) or 2 (socket); failures are reported.
    void startDownload();
    // WM_TIMER. Returns false for an id that is not one of the transfer steps, which then goes
    // to the window's default processing.
    bool onTimer(int32_t id);
    // The window is being destroyed (or the run interrupted): whatever a download still holds
    // is given back. Safe to call more than once.
    void onDestroy();

    // How the last download ended, for a silent run's exit status.
    enum class Outcome { None, Completed, Failed };
    Outcome outcome() const { return outcome_; }
    // True while one of the transfer timers is armed.
    bool transferActive() const { return armedTimer_ != 0; }
    // Why the download failed when the connection has no words for it (a firmware file that
    // cannot be opened, a printer that stopped acknowledging); empty otherwise.
    const std::string& failureReason() const { return failureReason_; }
    // What the printer answered to the version query of the FPGA check, when it was asked and
    // gave a whole answer.
    const std::optional<std::string>& printerVersionReply() const { return printerVersionReply_; }
    // The help line: kept, and shown by the view.
    void setHelpText(const std::string& text);

    // Engine state, public so the window's own handlers (configuration, file choice, painting)
    // can work on it.
    PrinterPort& port;
    NetConnection& socket;
    QueueRedirection& printerQueueRedirects;
    int32_t useNetwork = 0;
    FirmwareImage image;
    int32_t imageLength = 0;
    int32_t sentOffset = 0;
    uint32_t packetSize = 4096;
    uint32_t progress = 0;
    std::string helpText;

  private:
    void fail(const std::string& text);
    void releaseConnection();
    void enableButtons(bool enabled);
    void armTimer(int32_t id, uint32_t intervalMs);
    void setProgress(uint32_t value);
    void finishSendPhase();
    void report(const std::string& text);

    void tickSendPacket();
    void tickSendNetwork();
    bool watchDelivery();
    void awaitAcknowledgement();
    void reportAcknowledged();
    void tickWriteFailed();
    void tickSettle();
    void tickFinish();
    void tickCleanUp();

    MainDialogView& view_;
    Reporter& reporter_;
    Clock& clock_;
    int32_t armedTimer_ = 0;
    bool portOpen_ = false;
    bool socketOpen_ = false;
    bool queuesRedirected_ = false;
    bool fineTimers_ = false;
    Outcome outcome_ = Outcome::None;
    // Of the image sent over the network: the most the printer has acknowledged, and when that
    // count last grew.
    int32_t acknowledged_ = 0;
    int32_t reportedAcknowledged_ = 0;
    bool acknowledgementCounted_ = true;
    uint32_t lastAcknowledgedTick_ = 0;
    std::string failureReason_;
    std::optional<std::string> printerVersionReply_;
    RunObserver noObserver_;
    RunObserver* observer_ = &noObserver_;
};
