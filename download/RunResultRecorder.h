#pragma once
// Gathers a silent run's result ("--result FILE") from the run's reports: the job, the bytes
// the connection took, the outcome, and what the run wrote to the log.
#include "app/RunResult.h"
#include "download/RunContext.h"
#include "download/RunObserver.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class RunResultRecorder final : public RunObserver {
  public:
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    RunResultRecorder(const RunContext& context, FileSystem& files, std::string version,
                      WallClock now = std::chrono::system_clock::now);

    void runStarted(const DownloadJob& job) override;
    void runEnded(const RunEnd& end) override;
    // A silent USB run that found no printer of the model ended before any run (exit status 2).
    void noUsbPrinter(const std::string& modelName, int32_t modelCode,
                      const std::string& firmwarePath, int exitStatus);

    // What start-up said of the settings: why it refused them (the reason of an invalid run),
    // and what it guessed or skipped.
    void startupNotes(const std::string& refusal, const std::vector<std::string>& warnings);

    // A silent run whose end was not reported: what the exit status says.
    void endedUnreported(int exitStatus);

    // True once the run has ended in one of the ways above.
    bool complete() const { return complete_; }
    const RunResult& result() const { return result_; }

  private:
    void describeFile(const std::string& firmwarePath);

    const RunContext& context_;
    FileSystem& files_;
    WallClock now_;
    RunResult result_;
    bool complete_ = false;
};
