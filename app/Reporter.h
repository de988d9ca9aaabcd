#pragma once
// Every message meant for the user passes through a Reporter: a message box when toFile is 0,
// a line of the log file otherwise. EventLog is the real one; tests record the reports.
#include <cstdint>
#include <string>

enum class LogLevel : int32_t { Notice = 0, Trace = 1 };

class Reporter {
  public:
    virtual ~Reporter() = default;
    virtual void report(int32_t toFile, LogLevel level, std::string text) = 0;
};
