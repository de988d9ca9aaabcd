#include "silentrun/TerminalProgress.h"

#include "app/TextRules.h"
#include "engine/PrinterVerification.h"
#include "platform/TerminationSignals.h"
#include "platform/TextEscape.h"

#include <algorithm>
#include <istream>
#include <memory>

namespace {

constexpr const char* kProgram = "mirelith: ";
constexpr uint32_t kRedrawMs = 100;    // a 10 ms packet pace would redraw needlessly often
constexpr uint32_t kRateAfterMs = 500; // before this a rate is mostly start-up noise
constexpr size_t kBarWidth = 20;

std::string fileSizeText(FileSystem& files, const std::string& path) {
    std::unique_ptr<std::istream> in = files.openForReading(path);
    if (!in || !in->seekg(0, std::ios::end)) {
        return "not readable";
    }
    return groupedNumber(static_cast<int64_t>(in->tellg())) + " bytes";
}

std::string seconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

} // namespace

std::string groupedNumber(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (size_t i = digits.size(); i > 3; i -= 3) {
        digits.insert(i - 3, 1, ',');
    }
    if (value < 0) {
        digits.insert(0, 1, '-');
    }
    return digits;
}

std::string clockDuration(uint32_t ms) {
    const uint32_t total = (ms + 999) / 1000; // a countdown shows 0:00 only at the very end
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%u:%02u:%02u", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%u:%02u", total / 60, total % 60);
    }
    return text;
}

std::string sendingLine(int64_t sent, int64_t total, uint32_t elapsedMs) {
    sent = std::clamp<int64_t>(sent, 0, std::max<int64_t>(total, 0));
    const int64_t percent = total > 0 ? sent * 100 / total : 100;
    const auto filled =
        static_cast<size_t>(total > 0 ? sent * int64_t(kBarWidth) / total : int64_t(kBarWidth));
    std::string bar = "[" + std::string(filled, '=');
    if (filled < kBarWidth) {
        bar += '>' + std::string(kBarWidth - filled - 1, ' ');
    }
    bar += "]";

    // Kept within 79 columns for images up to 99 MB, so a redraw never wraps on a narrow
    // terminal.
    char text[200];
    std::snprintf(text, sizeof text, "%s %3d%%  %s/%s B", bar.c_str(), int(percent),
                  groupedNumber(sent).c_str(), groupedNumber(total).c_str());
    std::string line = text;
    if (elapsedMs >= kRateAfterMs && sent > 0) {
        const double bytesPerSecond = double(sent) * 1000.0 / elapsedMs;
        const bool mebi = bytesPerSecond >= 1024.0 * 1024.0;
        const double leftMs = std::min(double(total - sent) * 1000.0 / bytesPerSecond, 359999e3);
        std::snprintf(text, sizeof text, "  %.1f %s/s  %s left",
                      bytesPerSecond / (mebi ? 1024.0 * 1024.0 : 1024.0), mebi ? "MiB" : "KiB",
                      clockDuration(static_cast<uint32_t>(leftMs)).c_str());
        line += text;
    }
    return line;
}

std::string settlingLine(uint32_t ticksLeft, uint32_t intervalMs) {
    return "the printer is writing its firmware: " + clockDuration(ticksLeft * intervalMs) +
           " left";
}

TerminalProgress::TerminalProgress(std::FILE* out, Style style, const RunContext& context,
                                   FileSystem& files, Clock& clock)
    : out_(out), style_(style), context_(context), files_(files), clock_(clock) {}

void TerminalProgress::runStarted(const DownloadJob& job) {
    startTick_ = clock_.tickCount();
    if (style_.quiet) {
        return;
    }
    const PortSettings& port = job.portSettings;
    const std::string label = context_.portLabel(port.portName, port.baudRate);
    const std::string device = context_.device(port.portName, port.baudRate);
    std::string where = label;
    if (label == "NET" || device.empty() || device != label) {
        where += " (" + (device.empty() ? std::string("no such device") : device) + ")";
    }
    printLine(std::string(kProgram) + "sending " + fileNameOf(job.firmwarePath) + " (" +
              fileSizeText(files_, job.firmwarePath) + ") to " + job.modelName + " (model " +
              std::to_string(job.modelCode) + ") on " + where + "; settings from " +
              context_.settingsSource());
}

void TerminalProgress::bytesSent(int64_t sent, int64_t total) {
    if (!style_.isTerminal || style_.quiet) {
        return;
    }
    const uint32_t now = clock_.tickCount();
    if (drawnOnce_ && sent < total && now - lastDrawTick_ < kRedrawMs) {
        return;
    }
    lastDrawTick_ = now;
    drawInPlace(sendingLine(sent, total, now - startTick_));
}

void TerminalProgress::settling(uint32_t ticksLeft, uint32_t intervalMs) {
    if (style_.quiet) {
        return;
    }
    if (!style_.isTerminal) {
        // Off a terminal there is no countdown: one line says the wait has begun, so the
        // seconds of the settle phase are not taken for a hang.
        if (!settleAnnounced_) {
            settleAnnounced_ = true;
            printLine(std::string(kProgram) + settlingLine(ticksLeft, intervalMs));
        }
        return;
    }
    drawInPlace(settlingLine(ticksLeft, intervalMs));
}

void TerminalProgress::waitingForPrinter(uint32_t msLeft) {
    if (style_.quiet) {
        return;
    }
    if (style_.isTerminal) {
        drawInPlace("waiting for the printer to restart and say its version: " +
                    clockDuration(msLeft) + " left");
    } else if (!waitAnnounced_) {
        printLine(std::string(kProgram) +
                  "waiting for the printer to restart and say its version (at most " +
                  clockDuration(msLeft) + ")");
    }
    waitAnnounced_ = true;
}

void TerminalProgress::runEnded(const RunEnd& end) {
    clearInPlace();
    if (end.noUsbPrinter) {
        return; // said by noUsbPrinter, with the model's name
    }
    if (end.verified && (!style_.quiet || !*end.verified)) {
        printLine(std::string(kProgram) + versionChangeText(end.versionBefore, end.versionAfter));
    }
    const std::optional<std::string> logged = context_.loggedLine();
    const std::string loggedTo =
        logged ? "; logged to " + context_.logPath : std::string("; nothing was logged");
    switch (end.outcome) {
    case RunOutcome::Sent:
        if (!style_.quiet) {
            printLine(std::string(kProgram) + "done: " + groupedNumber(end.bytesSent) +
                      " bytes sent in " + seconds(end.durationMs) +
                      "; the printer prints a self-test page when it has taken the firmware");
        }
        break;
    case RunOutcome::Invalid:
        printLine(std::string(kProgram) + "invalid parameters" +
                  (logged ? " (\"" + *logged + "\")" : std::string()) +
                  (end.reason.empty() ? std::string() : ": " + end.reason) + loggedTo +
                  "; see mirelith --help");
        break;
    case RunOutcome::Failed: {
        std::string line = std::string(kProgram) + "failed: " +
                           (logged ? *logged : std::string("the download did not complete"));
        if (!end.reason.empty()) {
            line += " (" + end.reason + ")";
        }
        if (end.imageLength > 0) {
            line += "; " + groupedNumber(end.bytesSent) + " of " + groupedNumber(end.imageLength) +
                    " bytes sent";
        }
        printLine(line + loggedTo);
        break;
    }
    case RunOutcome::Unverified:
        printLine(std::string(kProgram) + "not verified: " +
                  (logged ? *logged : std::string("the printer did not say its new version")) +
                  "; " + groupedNumber(end.bytesSent) + " bytes sent" + loggedTo);
        break;
    case RunOutcome::Interrupted:
        // Before an image was loaded (a connect cut short) there is no count to give.
        printLine(std::string(kProgram) + "interrupted by " +
                  terminationSignalName(end.interruptSignal) +
                  (end.imageLength > 0 ? " after " + groupedNumber(end.bytesSent) + " of " +
                                             groupedNumber(end.imageLength) + " bytes"
                                       : std::string(" before anything was sent")) +
                  (end.bytesSent > 0
                       ? "; the printer may need a power cycle before it takes firmware again"
                       : std::string("")) +
                  loggedTo);
        break;
    }
}

void TerminalProgress::noUsbPrinter(const DownloadJob& job) {
    printLine(std::string(kProgram) + "failed: no attached USB printer belongs to " +
              job.modelName + " (model " + std::to_string(job.modelCode) +
              "); nothing was downloaded (see mirelith --list)");
}

void TerminalProgress::drawInPlace(const std::string& full) {
    // A line as wide as the terminal would wrap, and "\r" would then redraw only its tail.
    const std::string text = style_.columns > 1 ? full.substr(0, size_t(style_.columns) - 1) : full;
    std::string line = "\r" + text;
    if (text.size() < drawnWidth_) {
        line += std::string(drawnWidth_ - text.size(), ' ');
    }
    drawnWidth_ = text.size();
    drawnOnce_ = true;
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

void TerminalProgress::clearInPlace() {
    if (drawnWidth_ > 0) {
        std::fputs(("\r" + std::string(drawnWidth_, ' ') + "\r").c_str(), out_);
        drawnWidth_ = 0;
    }
}

void TerminalProgress::printLine(const std::string& text) {
    clearInPlace();
    // File, model and queue names come from outside: none may break the line or drive the
    // terminal.
    std::fputs((escapeForLine(text) + "\n").c_str(), out_);
    std::fflush(out_);
}
