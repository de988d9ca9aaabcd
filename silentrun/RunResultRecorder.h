#pragma once
// Gathers a silent run's result ("--result FILE") from the run's reports: the job, the bytes
// the connection took, the outcome, and what the run wrote to the log.
#include "app/RunResult.h"
#include "engine/RunObserver.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "silentrun/RunContext.h"

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
    // A silent USB run that found no printer of the model: what it would have sent, and where.
    void noUsbPrinter(const DownloadJob& job);
    // What start-up guessed or skipped.
    void startupWarnings(const std::vector<std::string>& warnings);

    const RunResult& result() const { return result_; }

  private:
    void describeFile(const std::string& firmwarePath);

    const RunContext& context_;
    FileSystem& files_;
    WallClock now_;
    RunResult result_;
};
