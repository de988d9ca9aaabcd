#include "app/EventLog.h"

#include "app/TextRules.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool EventLog::flush() {
    lastFlushError_.clear();
    if (pending_.empty()) {
        return true;
    }
    const std::string path = filePath();
    const std::string block = pending_ + "\r\n";
    // The file is only ever appended to. It is created exclusively, so an existing log that
    // merely could not be opened for writing is never replaced.
    bool written = files_.appendToExisting(path, block);
    int error = 0;
    if (!written) {
        errno = 0;
        written = files_.createNew(path, kHeader + block);
        // Why the file could not be made, as the system said it (Windows keeps no errno here).
        error = errno;
    }
    if (!written) {
        // Someone else created it in between: append to theirs.
        written = files_.appendToExisting(path, block);
    }
    if (!written) {
        lastFlushError_ = error != 0 ? std::strerror(error) : "reason unknown";
        reportUnwritable(path, lastFlushError_, pending_);
    }
    pending_.clear();
    return written;
}

void EventLog::reportUnwritable(const std::string& path, const std::string& reason,
                                const std::string& lines) {
    std::string text =
        "mirelith: the log " + path + " cannot be written (" + reason + "); its lines are:\n";
    for (char c : lines) {
        if (c != '\r') {
            text += c;
        }
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
