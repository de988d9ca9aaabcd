#pragma once
// What "--help" and "--version" print.
#include <string>

struct BuildInfo {
    std::string version;   // the program's version, "1.0.0"
    std::string compiler;  // "GCC 12.2.0"
    std::string qtVersion; // empty when built without the Qt window
};

// Usage: options, port forms, models, qemnuv.ini keys, environment, exit statuses and the log
// file this program writes (logPath).
std::string helpText(const std::string& logPath);
// "mirelith 1.0.0" and a line on how it was built.
std::string versionText(const BuildInfo& build);
