#pragma once
// What the entry point knows of a silent run beyond the engine's own reports, for the views of
// the run (terminal lines, the result file): where a port name leads on this system, where the
// settings came from, and what the run wrote to the log.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct RunContext {
    // The port as a person names it ("COM3", "USB", "NET") and the device it leads to.
    std::function<std::string(const std::string& portName, int32_t tcpPort)> portLabel;
    std::function<std::string(const std::string& portName, int32_t tcpPort)> device;
    // "qemnuv.ini" or "the command line", with a note when the INI file made the command line
    // be ignored.
    std::function<std::string()> settingsSource;
    // The text of the last log line the run wrote (without its timestamp), if any.
    std::function<std::optional<std::string>()> loggedLine;
    // Where the log file is.
    std::string logPath;
};
