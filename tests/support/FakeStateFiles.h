#pragma once
// In-memory journal files and a process table for the printer queue journal tests. The files
// note each change in a call list that a FakeSpooler can share, so tests see whether the journal
// was written before a queue was changed.
#include "platform/ProcessEnvironment.h"
#include "platform/ProcessTable.h"
#include "platform/StateFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeStateFiles final : public StateFiles {
  public:
    explicit FakeStateFiles(std::vector<std::string>& calls) : calls_(calls) {}

    std::map<std::string, std::string> files; // full path -> contents
    bool writable = true;

    std::vector<std::string> list(const std::string& directory) override {
        std::vector<std::string> names;
        for (const auto& [path, text] : files) {
            if (path.rfind(directory + pathSeparator(), 0) == 0) {
                names.push_back(path.substr(directory.size() + 1));
            }
        }
        return names;
    }
    std::optional<std::string> read(const std::string& path) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool replace(const std::string& path, std::string_view bytes) override {
        calls_.push_back("journal " +
                         std::to_string(std::count(bytes.begin(), bytes.end(), '\n') - 3));
        if (!writable) {
            return false;
        }
        files[path] = std::string(bytes);
        return true;
    }
    bool remove(const std::string& path) override {
        calls_.push_back("journal removed");
        files.erase(path);
        return true;
    }
    bool rename(const std::string& from, const std::string& to) override {
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    std::unique_ptr<StateFileLock> lock(const std::string&) override {
        // One process taking the lock twice would wait for itself.
        EXPECT_FALSE(locked_) << "journal lock taken while held";
        return std::make_unique<Held>(locked_);
    }

  private:
    class Held final : public StateFileLock {
      public:
        explicit Held(bool& locked) : locked_(locked) { locked_ = true; }
        ~Held() override { locked_ = false; }

      private:
        bool& locked_;
    };
    std::vector<std::string>& calls_;
    bool locked_ = false;
};

// The processes running on the fake system, shared by the process tables of several copies.
struct FakeProcesses {
    std::set<std::pair<uint32_t, std::string>> running;
    void end(const ProcessIdentity& p) { running.erase({p.pid, p.startTime}); }
};

// One copy's view: itself (running from construction) and the shared table.
class FakeProcessTable final : public ProcessTable {
  public:
    FakeProcessTable(FakeProcesses& processes, ProcessIdentity me)
        : processes_(processes), me_(std::move(me)) {
        processes_.running.insert({me_.pid, me_.startTime});
    }
    ProcessIdentity self() override { return me_; }
    bool isRunning(const ProcessIdentity& p) override {
        return processes_.running.count({p.pid, p.startTime}) != 0;
    }

  private:
    FakeProcesses& processes_;
    ProcessIdentity me_;
};
