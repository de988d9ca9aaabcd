#pragma once
// The outcome of one silent run in a form a program can read: what was sent where, how it
// ended and why. Written as one JSON object to the file named by "--result", for a fleet's
// configuration management to collect instead of scraping the log.
#include "platform/FileSystem.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RunOutcome { Sent, Invalid, Failed, Interrupted, Unverified };

// "sent", "invalid", "failed", "interrupted", "unverified"
const char* outcomeName(RunOutcome outcome);

// The process's exit status for a run that ended so (see ExitStatus.h).
int exitStatusFor(RunOutcome outcome);

struct RunResult {
    RunOutcome outcome = RunOutcome::Failed;
    int exitStatus = 0;
    std::optional<std::string> logLine; // the text of the log line the run wrote
    // Where this program's log is (beside it, or a per-user place when it may not write
    // there), whether or not the run wrote to it.
    std::string logFile;
    std::optional<std::string> reason; // the system's reason, when known
    std::optional<std::string> model;
    std::optional<int32_t> modelCode;
    std::optional<std::string> port;   // as given: "COM3", "USB", "NET"
    std::optional<std::string> device; // what it resolved to: "/dev/ttyS2", "127.0.0.1:9100"
    std::optional<std::string> file;   // the firmware file's name, without directory
    std::optional<int64_t> fileSize;
    std::optional<std::string> sha256;
    int64_t bytesSent = 0;
    std::string started; // UTC, ISO 8601
    int64_t durationMs = 0;
    std::string version;
    // With --verify: the printer's version before and after, and whether the update took.
    std::optional<std::string> printerVersionBefore;
    std::optional<std::string> printerVersionAfter;
    std::optional<bool> verified;
    // What start-up guessed or skipped ("-x: not an option ...; skipped"), one sentence each.
    std::vector<std::string> warnings;
};

// One JSON object with every key present (null where unknown). Text that is not valid UTF-8
// (an ANSI file name on Windows) is written with replacement characters, never refused.
std::string toJson(const RunResult& result);

// "2026-12-07T02:40:00Z"
std::string isoUtc(std::chrono::system_clock::time_point time);

// Size and SHA-256 of a file as it is on disk; nullopt when it cannot be read. Reading stops
// as soon as stop() turns true (a run interrupted while a large image is hashed must not wait
// for it): the size is then still given, and sha256 is left empty.
struct FileDigest {
    int64_t size = 0;
    std::string sha256;
};
std::optional<FileDigest> digestFile(FileSystem& files, const std::string& path,
                                     const std::function<bool()>& stop = {});

// The text of the last line in a block of log lines ("[timestamp]  text\r\n" each), without
// its timestamp; nullopt when the block holds no line.
std::optional<std::string> lastLogLineText(std::string_view lines);

// Writes text to path so that a reader sees the old file or the whole new one, never a part:
// a fresh temporary file in the same directory, written and closed, then renamed over path.
// On failure returns false with the reason in error.
bool writeFileAtomically(const std::string& path, const std::string& text, std::string& error);
