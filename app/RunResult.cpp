#include "app/RunResult.h"

#include "app/ExitStatus.h"

#include "app/Sha256.h"
#include "platform/TempFile.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

template <typename T> nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

} // namespace

const char* outcomeName(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Sent:
        return "sent";
    case RunOutcome::Invalid:
        return "invalid";
    case RunOutcome::Failed:
        return "failed";
    case RunOutcome::Interrupted:
        return "interrupted";
    case RunOutcome::Unverified:
        return "unverified";
    }
    return "failed";
}

std::string toJson(const RunResult& r) {
    // Keys in the agreed order, so a person reading the file finds the outcome first.
    nlohmann::ordered_json json;
    json["outcome"] = outcomeName(r.outcome);
    json["exit_status"] = r.exitStatus;
    json["log_line"] = orNull(r.logLine);
    // No log place (none could be made) is unknown, like every other missing value.
    json["log_file"] =
        r.logFile.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.logFile);
    json["reason"] = orNull(r.reason);
    json["warnings"] = r.warnings;
    json["model"] = orNull(r.model);
    json["model_code"] = orNull(r.modelCode);
    json["port"] = orNull(r.port);
    json["device"] = orNull(r.device);
    json["file"] = orNull(r.file);
    json["file_size"] = orNull(r.fileSize);
    json["sha256"] = orNull(r.sha256);
    json["bytes_sent"] = r.bytesSent;
    json["started"] = r.started;
    json["duration_ms"] = r.durationMs;
    json["version"] = r.version;
    json["printer_version_before"] = orNull(r.printerVersionBefore);
    json["printer_version_after"] = orNull(r.printerVersionAfter);
    json["verified"] = orNull(r.verified);
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string isoUtc(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()));
    return text;
}

std::optional<FileDigest> digestFile(FileSystem& files, const std::string& path,
                                     const std::function<bool()>& stop) {
    std::unique_ptr<std::istream> in = files.openForReading(path);
    if (!in) {
        return std::nullopt;
    }
    Sha256 sha;
    FileDigest digest;
    char buffer[65536];
    while (*in) {
        if (stop && stop()) {
            in->clear();
            if (!in->seekg(0, std::ios::end)) {
                return std::nullopt;
            }
            digest.size = static_cast<int64_t>(in->tellg());
            return digest;
        }
        in->read(buffer, sizeof buffer);
        const std::streamsize got = in->gcount();
        sha.update(buffer, static_cast<size_t>(got));
        digest.size += got;
    }
    if (in->bad()) {
        return std::nullopt;
    }
    digest.sha256 = sha.finishHex();
    return digest;
}

std::optional<std::string> lastLogLineText(std::string_view lines) {
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == '\r')) {
        lines.remove_suffix(1);
    }
    if (lines.empty()) {
        return std::nullopt;
    }
    const size_t lineStart = lines.find_last_of('\n');
    std::string_view line =
        lineStart == std::string_view::npos ? lines : lines.substr(lineStart + 1);
    // "[YYYY/MM/DD-HH:MM:SS]  text"
    const size_t textStart = line.find("]  ");
    if (line.empty() || line.front() != '[' || textStart == std::string_view::npos) {
        return std::string(line);
    }
    return std::string(line.substr(textStart + 3));
}

bool writeFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    TempFile temp =
        TempFile::createIn(directory.string(), "." + target.filename().string() + ".", ".tmp");
    if (!temp.valid()) {
        error = "cannot create a file in " + directory.string() + " (" +
                std::system_category().message(static_cast<int>(temp.error())) + ")";
        return false;
    }
    if (!temp.write(text.data(), text.size()) || !temp.close()) {
        error = "cannot write " + temp.path() + " (" +
                std::system_category().message(static_cast<int>(temp.error())) + ")";
        return false; // the temporary file goes with `temp`
    }
    std::error_code renamed;
    fs::rename(fs::path(temp.path()), target, renamed);
    if (renamed) {
        error = "cannot replace " + path + " (" + renamed.message() + ")";
        return false;
    }
    temp.release(); // it is the result file now
    return true;
}

int exitStatusFor(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Sent:
        return kExitNormal;
    case RunOutcome::Invalid:
        return kExitInvalidParameters;
    case RunOutcome::Failed:
        return kExitNothingDownloaded;
    case RunOutcome::Interrupted:
        return kExitInterrupted;
    case RunOutcome::Unverified:
        return kExitNotVerified;
    }
    return kExitNothingDownloaded;
}
