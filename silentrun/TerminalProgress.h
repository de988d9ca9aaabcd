#pragma once
// A silent run as the terminal shows it (standard error): one line when it starts, a bar redrawn
// in place while the image is sent and a countdown while the printer writes it (only when the
// stream is a terminal), and one line when it ends saying what happened and why. Off a terminal
// the start and end lines and one when the settle phase begins are written, with no carriage
// returns; quiet keeps only failures.
// Nothing here goes to the log file.
#include "engine/RunObserver.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "silentrun/RunContext.h"

#include <cstdint>
#include <cstdio>
#include <string>

class TerminalProgress final : public RunObserver {
  public:
    struct Style {
        bool isTerminal = false;
        bool quiet = false;
        int columns = 0; // the terminal's width, 0 when unknown
    };

    TerminalProgress(std::FILE* out, Style style, const RunContext& context, FileSystem& files,
                     Clock& clock);

    void runStarted(const DownloadJob& job) override;
    void bytesSent(int64_t sent, int64_t total) override;
    void settling(uint32_t ticksLeft, uint32_t intervalMs) override;
    void waitingForPrinter(uint32_t msLeft) override;
    void runEnded(const RunEnd& end) override;
    // A silent USB run that found no printer of the model: no run took place.
    void noUsbPrinter(const DownloadJob& job);

  private:
    void drawInPlace(const std::string& text);
    void clearInPlace();
    void printLine(const std::string& text);

    std::FILE* out_;
    Style style_;
    const RunContext& context_;
    FileSystem& files_;
    Clock& clock_;
    uint32_t startTick_ = 0;
    uint32_t lastDrawTick_ = 0;
    bool drawnOnce_ = false;
    bool waitAnnounced_ = false;
    bool settleAnnounced_ = false;
    size_t drawnWidth_ = 0;
};

// "262,144"
std::string groupedNumber(int64_t value);
// "0:07", "12:30", "1:02:03"
std::string clockDuration(uint32_t ms);
// "[==========>         ]  52%  136,192/262,144 B  24.1 KiB/s  0:05 left"
std::string sendingLine(int64_t sent, int64_t total, uint32_t elapsedMs);
// "the printer is writing its firmware: 0:23 left"
std::string settlingLine(uint32_t ticksLeft, uint32_t intervalMs);
