#pragma once
// What start-up hands to the main window for one run.
#include "ports/PortSettings.h"

#include <cstdint>
#include <string>

struct DownloadJob {
    int32_t silentRun = 0;   // non-zero: download at once, reports go to the log file
    int32_t quitAtStart = 0; // non-zero: settings were rejected, end with exit status 1
    int32_t modelCode = 0;
    std::string modelName;
    std::string firmwarePath;
    PortSettings portSettings;
    // With quitAtStart: which setting or file was refused and why, for the terminal line and the
    // result file (the log keeps its one line).
    std::string invalidReason;

    friend bool operator==(const DownloadJob&, const DownloadJob&) = default;
};
