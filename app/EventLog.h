#pragma once
// The one way messages reach the user: a message box (toFile 0) or a timestamped line that is
// kept in memory and appended to "_QEM_NUV.txt" when the run ends (flush). Trace reports are
// never written to the file.
#include "app/Reporter.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/ProcessEnvironment.h"

#include <string>

class EventLog : public Reporter {
  public:
    static constexpr const char* kCaption = "QEM_NUV";
    static constexpr const char* kFileName = "_QEM_NUV.txt";
    static constexpr const char* kHeader = "VORANEX NUV\r\n\r\n";

    EventLog(ProcessEnvironment& environment, FileSystem& files, Desktop& desktop);

    // The process's log, over the real platform services; created on first use.
    static EventLog& instance();

    void report(int32_t toFile, LogLevel level, std::string text) override;
    // Adds one line to pending unless level is Trace.
    void append(LogLevel level, const std::string& text);
    // Appends pending and an empty line to the log file (creating it with its header when it
    // does not exist yet), then empties pending. Does nothing when nothing is pending. When the
    // file cannot be written, the lines go to the standard error stream with the reason instead,
    // so none is lost, and flush returns false.
    bool flush();
    // Why the last flush could not write the file ("" after a flush that could).
    const std::string& lastFlushError() const { return lastFlushError_; }

    const std::string& pending() const { return pending_; }
    const std::string& directory() const { return directory_; }
    std::string filePath() const;

  private:
    static void reportUnwritable(const std::string& path, const std::string& reason,
                                 const std::string& lines);

    ProcessEnvironment& environment_;
    FileSystem& files_;
    Desktop& desktop_;
    std::string pending_;
    std::string directory_;
    std::string lastFlushError_;
};

// "[%Y/%m/%d-%H:%M:%S]"
std::string formatLogTimestamp(const LocalDateTime& time);
