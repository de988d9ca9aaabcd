#pragma once
// Everything that shows a silent run outside the engine, wired once for both entry points: the
// terminal lines (Linux), the result file ("--result FILE"), and the bookkeeping they share
// (which log lines the run wrote, where the settings came from). The silent host reports to
// observer(); the entry point calls finish() after start-up has returned.
#include "app/EventLog.h"
#include "app/FirmwareApp.h"
#include "download/RunContext.h"
#include "download/RunObserver.h"
#include "download/RunResultRecorder.h"
#include "download/TerminalProgress.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class SilentRunViews {
  public:
    struct Settings {
        std::string version;
        std::optional<std::string> resultPath;
        // Where terminal lines go (null: nowhere, as in the Windows program) and how.
        std::FILE* terminal = nullptr;
        TerminalProgress::Style style;
        // Whether the command line held more than the program's own options, so that a
        // qemnuv.ini that overrides it is worth mentioning.
        bool commandLineGiven = false;
    };

    SilentRunViews(Settings settings, const FirmwareApp& app, EventLog& log, FileSystem& files,
                   Clock& clock);

    RunObserver& observer() { return observers_; }
    // What start-up guessed or skipped, one terminal line each, before the run is shown.
    void startupWarnings(const DownloadJob& job);
    // Writes the log as the silent host asks, keeping the lines for the run's result first.
    void flushLog();
    // After start-up: accounts for a silent run that ended before it started (no USB printer)
    // and writes the result file. False, with the reason in error, when the file could not be
    // written.
    bool finish(int exitStatus, std::string& error);

  private:
    class EndWatch final : public RunObserver {
      public:
        void runEnded(const RunEnd&) override { ended = true; }
        bool ended = false;
    };

    Settings settings_;
    const FirmwareApp& app_;
    EventLog& log_;
    FileSystem& files_;
    std::string flushedLines_;
    RunContext context_;
    RunObservers observers_;
    EndWatch endWatch_;
    std::unique_ptr<TerminalProgress> terminal_;
    std::unique_ptr<RunResultRecorder> recorder_;
    bool warningsShown_ = false;
};
