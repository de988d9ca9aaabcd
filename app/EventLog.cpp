#include "app/EventLog.h"

#include "app/TextRules.h"
#include "platform/TextEscape.h"

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
    // Texts carry names from outside (files, settings, queues): none may start a line of its own.
    pending_ += escapeForLine(text);
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
    errno = 0;
    bool written = files_.appendToExisting(path, block);
    // Why the file could not be written, as the system said it (Windows keeps no errno here).
    int error = errno;
    if (!written) {
        errno = 0;
        written = files_.createNew(path, kHeader + block);
        error = errno;
        if (!written && (error == EEXIST || error == 0)) {
            // It is there after all (someone else created it in between, or it is a link that
            // is refused): append to theirs, or say why not.
            errno = 0;
            written = files_.appendToExisting(path, block);
            error = errno != 0 ? errno : error;
        }
    }
    if (!written) {
        lastFlushError_ = error == ELOOP    ? "it is a symbolic link, which is not followed"
                          : error == EINVAL ? "it is not a regular file"
                          : error != 0      ? std::strerror(error)
                                            : "reason unknown";
        reportUnwritable(path, lastFlushError_, pending_);
    }
    pending_.clear();
    return written;
}

void EventLog::reportUnwritable(const std::string& path, const std::string& reason,
                                const std::string& lines) {
    std::string text = "mirelith: the log " + escapeForLine(path) + " cannot be written (" +
                       reason + "); its lines are:\n";
    for (char c : lines) {
        if (c != '\r') {
            text += c;
        }
    }
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
