#include "app/EventLog.h"

#include "app/TextRules.h"

#include <cstdio>

std::string formatLogTimestamp(const LocalDateTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "[%04d/%02d/%02d-%02d:%02d:%02d]", static_cast<int>(t.year),
                  static_cast<int>(t.month), static_cast<int>(t.day), static_cast<int>(t.hour),
                  static_cast<int>(t.minute), static_cast<int>(t.second));
    return text;
}

EventLog::EventLog(ProcessEnvironment& environment, FileSystem& files, Desktop& desktop)
    : environment_(environment), files_(files), desktop_(desktop),
      directory_(environment.logDirectory()) {}

EventLog& EventLog::instance() {
    static EventLog log(systemEnvironment(), systemFileSystem(), systemDesktop());
    return log;
}

void EventLog::report(int32_t toFile, LogLevel level, std::string text) {
    if (toFile == 0) {
        desktop_.showMessageBox(text, kCaption); // shown whatever the level
        return;
    }
    append(level, text);
}

void EventLog::append(LogLevel level, const std::string& text) {
    if (level == LogLevel::Trace) {
        return;
    }
    pending_ += formatLogTimestamp(environment_.localTime());
    pending_ += "  ";
    pending_ += text;
    pending_ += "\r\n";
}

std::string EventLog::filePath() const {
    return joinPath(directory_, pathSeparator(), kFileName);
}

void EventLog::flush() {
    if (pending_.empty()) {
        return;
    }
    const std::string path = filePath();
    const std::string block = pending_ + "\r\n";
    // The file is only ever appended to. It is created exclusively, so an existing log that
    // merely could not be opened for writing is never replaced.
    if (!files_.appendToExisting(path, block) && !files_.createNew(path, kHeader + block)) {
        // Someone else created it in between: append to theirs.
        files_.appendToExisting(path, block);
    }
    pending_.clear();
}
