#pragma once
// Everything that shows an unattended run outside the engine, wired once for both entry points:
// the terminal lines (Linux and the Windows console program), the result file ("--result
// FILE"), and the bookkeeping they share (which log lines the run wrote, where the settings came
// from). The entry point hands over start-up's plan, lets the silent host report to observer(),
// and gives the run's end to finish().
#include "app/EventLog.h"
#include "app/StartupPlan.h"
#include "engine/RunObserver.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "silentrun/RunContext.h"
#include "silentrun/RunResultRecorder.h"
#include "silentrun/TerminalProgress.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

class SilentRunViews {
  public:
    struct Settings {
        std::string version;
        std::optional<std::string> resultPath;
        // Where terminal lines go (null: nowhere, as in the Windows window program) and how.
        std::FILE* terminal = nullptr;
        TerminalProgress::Style style;
        // Whether the command line held more than the program's own options, so that a
        // qemnuv.ini that overrides it is worth mentioning.
        bool commandLineGiven = false;
    };

    SilentRunViews(Settings settings, EventLog& log, FileSystem& files, Clock& clock);

    // What start-up decided: its warnings are said at once, one terminal line each.
    void planned(const StartupPlan& plan);
    RunObserver& observer() { return observers_; }
    // Writes the log as the silent host asks, keeping the lines for the run's result first.
    void flushLog();
    // The run's end, to the terminal and the result file. False, with the reason in error, when
    // the result file could not be written.
    bool finish(const RunEnd& end, std::string& error);

  private:
    Settings settings_;
    EventLog& log_;
    StartupPlan plan_;
    std::string flushedLines_;
    RunContext context_;
    RunObservers observers_;
    std::unique_ptr<TerminalProgress> terminal_;
    std::unique_ptr<RunResultRecorder> recorder_;
};
