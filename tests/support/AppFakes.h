#pragma once
// Fakes of the platform services used by start-up and the event log. Each records what it was
// asked so tests can check the conversation.
#include "app/Reporter.h"
#include "app/RunMode.h"
#include "app/StartupSettings.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/ProcessEnvironment.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// An in-memory file system. Directory listings come in the order entries were added, which
// lets tests check that results do not depend on it.
class FakeFileSystem : public FileSystem {
  public:
    void addFile(const std::string& path, std::string content) { files[path] = std::move(content); }
    void addEntry(const std::string& directory, const std::string& name) {
        listings[directory].push_back(name);
    }

    void listDirectory(const std::string& directory,
                       const std::function<bool(const std::string&)>& onEntry) override {
        for (const std::string& name : listings[directory]) {
            if (!onEntry(name)) {
                return;
            }
        }
    }
    FileProbe probeReadable(const std::string& path) override {
        if (auto it = probeErrors.find(path); it != probeErrors.end()) {
            return {ProbeStatus::Failed, it->second};
        }
        return files.count(path) ? FileProbe{ProbeStatus::Readable, 0}
                                 : FileProbe{ProbeStatus::Missing, 2};
    }
    std::unique_ptr<std::istream> openForReading(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) {
            return nullptr;
        }
        return std::make_unique<std::istringstream>(it->second);
    }
    bool appendToExisting(const std::string& path, std::string_view bytes) override {
        auto it = files.find(path);
        if (it == files.end() || readOnly.count(path)) {
            return false;
        }
        it->second += bytes;
        return true;
    }
    bool createNew(const std::string& path, std::string_view bytes) override {
        if (auto theirs = createdMeanwhile.extract(path)) { // another process got there first
            files.insert(std::move(theirs));
        }
        return files.emplace(path, std::string(bytes)).second;
    }

    std::string distrustReason(const std::string& path) override {
        const auto found = distrusted.find(path);
        return found == distrusted.end() ? std::string() : found->second;
    }

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> createdMeanwhile; // appear just before a createNew
    std::map<std::string, std::vector<std::string>> listings;
    std::map<std::string, int32_t> probeErrors;
    std::set<std::string> readOnly;
    // Files a run as root must not believe, with the system's reason.
    std::map<std::string, std::string> distrusted;
};

class FakeEnvironment : public ProcessEnvironment {
  public:
    std::string programFilePath() override { return "/opt/mirelith/mirelith"; }
    std::string currentDirectory() override { return current; }
    std::string logDirectory() override { return "/opt/mirelith"; }
    LocalDateTime localTime() override { return now; }

    std::string current = "/work/fw";
    LocalDateTime now{2024, 3, 5, 7, 8, 9};
};

class FakeDesktop : public Desktop {
  public:
    void showMessageBox(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
    }
    std::vector<std::pair<std::string, std::string>> shown; // text, caption
};

struct Report {
    int32_t toFile;
    LogLevel level;
    std::string text;
};

class RecordingReporter : public Reporter {
  public:
    void report(int32_t toFile, LogLevel level, std::string text) override {
        reports.push_back({toFile, level, std::move(text)});
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Report& r : reports) {
            out.push_back(r.text);
        }
        return out;
    }
    std::vector<Report> reports;
};

// Settings before any option is read, with the program started in /fw.
inline StartupSettings inFw() {
    StartupSettings s;
    s.startDirectory = "/fw";
    return s;
}

// What a settings reader decided, in one string a table row can state: "invalid",
// "interactive", or the port as "NAME BAUD FLAGS" (C com, L lpt, N net, U usb; G when the port
// is known without discovery).
inline std::string portOutcome(RunMode mode, const StartupSettings& s) {
    if (mode != RunMode::Silent) {
        return mode == RunMode::Invalid ? "invalid" : "interactive";
    }
    const bool flagSet[] = {s.portIsCom, s.portIsLpt, s.portIsNet, s.portIsUsb, s.portGiven};
    std::string flags;
    for (size_t i = 0; i < 5; ++i) {
        flags += flagSet[i] ? std::string(1, "CLNUG"[i]) : "";
    }
    return s.portSettings.portName + " " + std::to_string(s.portSettings.baudRate) + " " + flags;
}
