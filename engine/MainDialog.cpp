#include "engine/MainDialog.h"

#include "engine/FpgaCheck.h"
#include "engine/ModelRules.h"
#include "engine/TimerId.h"
#include "hexconvert/HexConverter.h"
#include "platform/Interrupt.h"

#include <algorithm>

namespace {
constexpr const char* helpDownloading = "HELP : firmware downloading....";
constexpr const char* helpFinished = "HELP : Finished firmware download.";

constexpr int32_t id(TimerId timer) {
    return static_cast<int32_t>(timer);
}
} // namespace

MainDialog::MainDialog(MainDialogView& view, PrinterPort& port, NetConnection& socket,
                       QueueRedirection& printerQueueRedirects, Reporter& reporter, Clock& clock)
    : port(port), socket(socket), printerQueueRedirects(printerQueueRedirects), view_(view),
      reporter_(reporter), clock_(clock) {}

MainDialog::~MainDialog() {
    // The window (and so the view) may already be half gone: give back the resources only.
    releaseConnection();
}

void MainDialog::onDownloadClicked() {
    enableButtons(false);
    if (firmwarePath.empty()) {
        report("No select File!! Select File!");
        enableButtons(true);
        return;
    }
    setHelpText(helpDownloading);
    if (hasModelFlag(modelCode, kHexInput)) {
        downloadHexFile();
    } else {
        startDownload();
    }
}

void MainDialog::downloadHexFile() {
    const std::string selection = firmwarePath;
    if (convertHexFile(selection, firmwarePath) == 0) {
        report("Failed File Loading!!");
        enableButtons(true);
        return;
    }
    // startDownload has read the whole converted image before it returns.
    startDownload();
    deleteConvertedImage(firmwarePath);
    firmwarePath = selection;
}

void MainDialog::startDownload() {
    failureReason_.clear();
    printerVersionReply_.reset();
    useNetwork = 0;
    progress = 0;
    outcome_ = Outcome::None;
    view_.repaintWindow();

    const PortKind kind = portKindForName(portSettings.portName);
    if (kind == PortKind::Com || kind == PortKind::Lpt) {
        printerQueueRedirects.redirectPrinterQueues(portSettings.portName, "");
        queuesRedirected_ = true;
    } else if (kind == PortKind::Usb) {
        printerQueueRedirects.redirectPrinterQueues(portSettings.portName, modelName);
        queuesRedirected_ = true;
    }

    if (kind == PortKind::Ethernet) {
        useNetwork = 1;
        if (socket.create() == 0) {
            fail("Failed Port Creation!");
            return;
        }
        if (socket.connect(portSettings.portName, portSettings.baudRate) == 0) {
            // A socket that failed to connect is not reused: the next download creates anew.
            socket.detach();
            fail("Socket Connect Error! ip=" + portSettings.portName +
                 ", tcpport=" + std::to_string(portSettings.baudRate));
            return;
        }
        socketOpen_ = true;
    } else {
        packetSize = packetSizeFor(kind, modelCode);
        // A port that only accepted its settings holds nothing yet, but closing it is harmless
        // and leaves it as a failed open would.
        portOpen_ = true;
        if (port.configure(portSettings) == 0) {
            fail("Port Configuration Set Error!");
            return;
        }
        if (port.open(0) == 0) {
            fail("Port Open Error. Port=" + portSettings.portName);
            return;
        }
    }

    if (image.load(firmwarePath) != FirmwareImage::LoadResult::Loaded) {
        failureReason_ = image.loadFailure();
        fail("File Open Error. filename=" + firmwarePath);
        return;
    }
    if (hasModelFlag(modelCode, kHeader)) {
        image.ensureHeader(kModelHeader, sizeof kModelHeader);
    }
    imageLength = image.length();
    sentOffset = 0;

    if (hasModelFlag(modelCode, kFpgaCheck)) {
        const int32_t type = imageFpgaType(modelCode, image.data(), imageLength);
        const FpgaVerdict verdict = runFpgaCheck(port, clock_, type, &printerVersionReply_);
        if (verdict != FpgaVerdict::Proceed) {
            fail(fpgaRefusalText(verdict));
            return;
        }
    }

    observer_->bytesSent(0, imageLength);
    if (useNetwork != 0) {
        armTimer(id(TimerId::SendNetwork), stepIntervalMs);
    } else {
        fineTimers_ = true;
        view_.setFineTimerResolution(true);
        armTimer(id(TimerId::SendPacket), stepIntervalMs);
    }
}

bool MainDialog::onTimer(int32_t timerId) {
    if (timerId < id(TimerId::SendPacket) || timerId > id(TimerId::CleanUp)) {
        return false;
    }
    view_.killTimer(timerId);
    // A tick already queued when its timer was killed or replaced belongs to no step.
    if (timerId != armedTimer_) {
        return true;
    }
    armedTimer_ = 0;
    switch (static_cast<TimerId>(timerId)) {
    case TimerId::SendPacket:
        tickSendPacket();
        break;
    case TimerId::SendNetwork:
        tickSendNetwork();
        break;
    case TimerId::WriteFailed:
        tickWriteFailed();
        break;
    case TimerId::Settle:
        tickSettle();
        break;
    case TimerId::Finish:
        tickFinish();
        break;
    case TimerId::CleanUp:
        tickCleanUp();
        break;
    }
    return true;
}

void MainDialog::tickSendPacket() {
    const int64_t remaining = int64_t(imageLength) - sentOffset;
    const uint8_t* next = image.data() + sentOffset;
    if (remaining > int64_t(packetSize)) {
        const auto length = static_cast<int32_t>(packetSize);
        const int32_t accepted = port.write(next, length);
        if (accepted != length) {
            observer_->bytesSent(sentOffset + std::max(accepted, 0), imageLength);
            finishSendPhase();
            armTimer(id(TimerId::WriteFailed), stepIntervalMs);
            return;
        }
        sentOffset += length;
        // 64-bit: sentOffset * 240 leaves 32 bits for any image above 17 MiB.
        setProgress(static_cast<uint32_t>(int64_t(sentOffset) * progressSendSpan / imageLength));
        observer_->bytesSent(sentOffset, imageLength);
        armTimer(id(TimerId::SendPacket), packetSize == 64 ? 0 : stepIntervalMs);
        return;
    }
    const auto length = static_cast<int32_t>(remaining);
    const int32_t accepted = port.write(next, length);
    const bool written = accepted == length;
    observer_->bytesSent(sentOffset + std::max(accepted, 0), imageLength);
    finishSendPhase();
    if (!written) {
        armTimer(id(TimerId::WriteFailed), stepIntervalMs);
        return;
    }
    // The bar keeps the value of the packet before; the settle phase carries it on.
    sentOffset = imageLength;
    armTimer(id(TimerId::Settle), stepIntervalMs);
}

void MainDialog::tickSendNetwork() {
    acknowledged_ = 0;
    reportedAcknowledged_ = 0; // startDownload told the observer 0
    lastAcknowledgedTick_ = clock_.tickCount();
    if (socket.send(image.data(), imageLength, 0) < 0) {
        // Only what the printer acknowledged counts: bytes still in the system's buffers were
        // lost with the connection.
        observer_->bytesSent(socket.delivery().acknowledged, imageLength);
        armTimer(id(TimerId::WriteFailed), stepIntervalMs);
        return;
    }
    // The whole image fits in the system's buffers, so a finished send says nothing about the
    // printer: the connection is watched on through the settle phase.
    if (!watchDelivery()) {
        return;
    }
    reportAcknowledged();
    setProgress(networkProgressFor(modelCode));
    armTimer(id(TimerId::Settle), stepIntervalMs);
}

bool MainDialog::watchDelivery() {
    const NetDelivery delivery = socket.delivery();
    acknowledgementCounted_ = delivery.counted;
    if (delivery.acknowledged > acknowledged_) {
        acknowledged_ = delivery.acknowledged;
        lastAcknowledgedTick_ = clock_.tickCount();
    }
    if (!delivery.broken) {
        return true;
    }
    reportAcknowledged();
    armTimer(id(TimerId::WriteFailed), stepIntervalMs);
    return false;
}

// Told only when the count changed: a redraw of the byte count would replace the settle
// countdown on a terminal.
void MainDialog::reportAcknowledged() {
    if (acknowledged_ != reportedAcknowledged_) {
        reportedAcknowledged_ = acknowledged_;
        observer_->bytesSent(acknowledged_, imageLength);
    }
}

// The bar is full but the printer has not acknowledged the whole image: the settle ticks go on
// (the bar stays full) while the printer keeps taking bytes. A printer that takes nothing for
// the stall limit of a send has not got the image.
void MainDialog::awaitAcknowledgement() {
    if (!acknowledgementCounted_) {
        // The system counts nothing: a connection that lasted the settle phase is taken as
        // delivered, as it always was.
        acknowledged_ = imageLength;
    }
    if (acknowledged_ >= imageLength) {
        reportAcknowledged();
        armTimer(id(TimerId::Finish), stepIntervalMs);
        return;
    }
    if (clock_.tickCount() - lastAcknowledgedTick_ >= sendStallLimitMs) {
        failureReason_ = portSettings.portName + ":" + std::to_string(portSettings.baudRate) +
                         ": the printer acknowledged " + std::to_string(acknowledged_) + " of " +
                         std::to_string(imageLength) + " bytes and took no more for " +
                         std::to_string(sendStallLimitMs / 1000) + " s";
        reportAcknowledged();
        armTimer(id(TimerId::WriteFailed), stepIntervalMs);
        return;
    }
    // The countdown is over: the count the printer has taken is what there is to show now.
    reportAcknowledged();
    armTimer(id(TimerId::Settle), settleIntervalFor(modelCode));
}

void MainDialog::tickWriteFailed() {
    armTimer(id(TimerId::CleanUp), stepIntervalMs);
    outcome_ = Outcome::Failed;
    // In an interactive run this is a message box; the clean-up tick arrives while it is open.
    report("Write Failed!");
}

void MainDialog::tickSettle() {
    if (useNetwork != 0) {
        if (!watchDelivery()) {
            return;
        }
        if (progress >= progressFull) {
            awaitAcknowledgement();
            return;
        }
    }
    setProgress(progress + 1);
    observer_->settling(progress >= progressFull ? 0 : progressFull - progress,
                        settleIntervalFor(modelCode));
    if (progress >= progressFull) {
        if (useNetwork != 0) {
            awaitAcknowledgement();
        } else {
            armTimer(id(TimerId::Finish), stepIntervalMs);
        }
    } else {
        armTimer(id(TimerId::Settle), settleIntervalFor(modelCode));
    }
}

void MainDialog::tickFinish() {
    armTimer(id(TimerId::CleanUp), stepIntervalMs);
    outcome_ = Outcome::Completed;
    if (silentRun != 0) {
        return;
    }
    if (hasModelFlag(modelCode, kFpgaCheck)) {
        report("Do not turn off the printer until the self-test page is printed automatically.");
    } else {
        view_.showCompletionDialog();
    }
}

void MainDialog::tickCleanUp() {
    enableButtons(true);
    releaseConnection();
    sentOffset = 0;
    setHelpText(helpFinished);
    if (silentRun != 0) {
        view_.closeWindow();
    }
}

void MainDialog::onDestroy() {
    if (armedTimer_ != 0) {
        view_.killTimer(armedTimer_);
        armedTimer_ = 0;
    }
    finishSendPhase();
    releaseConnection();
}

void MainDialog::fail(const std::string& text) {
    releaseConnection();
    outcome_ = Outcome::Failed;
    report(text);
    enableButtons(true);
    if (silentRun != 0) {
        view_.closeWindow();
    }
}

// The device is released before the queues get it back, at the end of a transfer and when the
// window goes alike: a queue given its port while we still hold the device could not open it.
void MainDialog::releaseConnection() {
    image.release();
    if (socketOpen_) {
        socketOpen_ = false;
        socket.close();
    }
    if (portOpen_) {
        portOpen_ = false;
        port.close();
    }
    if (queuesRedirected_) {
        queuesRedirected_ = false;
        printerQueueRedirects.restorePrinterQueues();
    }
}

void MainDialog::finishSendPhase() {
    if (fineTimers_) {
        fineTimers_ = false;
        view_.setFineTimerResolution(false);
    }
}

void MainDialog::enableButtons(bool enabled) {
    if (enabled) {
        for (int32_t control :
             {IDC_MAIN_DOWNLOAD, IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_EXIT}) {
            view_.enableControl(control, true);
        }
    } else {
        for (int32_t control :
             {IDC_MAIN_CONFIGURATION, IDC_MAIN_SELECT_FW, IDC_MAIN_DOWNLOAD, IDC_MAIN_EXIT}) {
            view_.enableControl(control, false);
        }
    }
}

void MainDialog::setHelpText(const std::string& text) {
    helpText = text;
    view_.showHelpText(helpText);
}

void MainDialog::armTimer(int32_t timerId, uint32_t intervalMs) {
    if (armedTimer_ != 0 && armedTimer_ != timerId) {
        view_.killTimer(armedTimer_);
    }
    armedTimer_ = timerId;
    view_.setTimer(timerId, intervalMs);
}

void MainDialog::setProgress(uint32_t value) {
    progress = value;
    view_.repaintProgressBar();
}

void MainDialog::report(const std::string& text) {
    reporter_.report(silentRun, LogLevel::Notice, text);
}
