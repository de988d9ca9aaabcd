#pragma once
// What start-up hands to the main window for one run.
#include "ports/PortSettings.h"

#include <cstdint>
#include <string>
#include <vector>

struct DownloadJob {
    int32_t silentRun = 0;   // non-zero: download at once, reports go to the log file
    int32_t quitAtStart = 0; // non-zero: settings were rejected, end with exit status 1
    int32_t modelCode = 0;
    std::string modelName;
    std::string firmwarePath;
    PortSettings portSettings;
    // Start-up's account of the settings, for the terminal and the result file: why they were
    // refused (quitAtStart), and what it guessed or skipped.
    std::string refusal;
    std::vector<std::string> warnings;

    friend bool operator==(const DownloadJob&, const DownloadJob&) = default;
};
