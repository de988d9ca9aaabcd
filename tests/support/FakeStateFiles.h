#pragma once
// In-memory journal files and a process table for the printer queue journal tests. The files
// note each change in a call list that a FakeSpooler can share, so tests see whether the journal
// was written before a queue was changed.
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

    std::map<std::string, std::string> files; // full path -> contents, all in one directory
    bool writable = true;

    std::vector<std::string> list(const std::string& directory) override {
        std::vector<std::string> names;
        for (const auto& [path, text] : files)
            names.push_back(path.substr(directory.size() + 1));
        for (const auto& [path, why] : refused)
            if (files.count(path) == 0)
                names.push_back(path.substr(directory.size() + 1));
        for (const std::string& path : vanishing)
            names.push_back(path.substr(directory.size() + 1));
        return names;
    }
    // Listed, but gone by the time they are read (their owner ended and removed them).
    std::set<std::string> vanishing;
    // Files the system would not let the program believe, with the system's reason.
    std::map<std::string, std::string> refused;

    StateFileText read(const std::string& path, uint64_t maxBytes) override {
        EXPECT_GE(maxBytes, 1024u) << "journal size limit";
        if (const auto why = refused.find(path); why != refused.end())
            return {std::nullopt, why->second};
        const auto found = files.find(path);
        return found == files.end() ? StateFileText{} : StateFileText{found->second, {}};
    }
    bool replace(const std::string& path, std::string_view bytes) override {
        // "journal <number of queues>": three lines besides one per queue.
        calls_.push_back("journal " +
                         std::to_string(std::count(bytes.begin(), bytes.end(), '\n') - 3));
        if (writable)
            files[path] = std::string(bytes);
        return writable;
    }
    bool remove(const std::string& path) override {
        calls_.push_back("journal removed");
        files.erase(path);
        return true;
    }
    bool rename(const std::string& from, const std::string& to) override {
        files[to] = files[from];
        files.erase(from);
        refused.erase(from);
        return true;
    }
    std::unique_ptr<StateFileLock> lock(const std::string&) override {
        // One process taking the lock twice would wait for itself.
        EXPECT_FALSE(locked_) << "journal lock taken while held";
        locked_ = true;
        return std::make_unique<Held>(locked_);
    }

  private:
    struct Held final : StateFileLock {
        explicit Held(bool& locked) : locked(locked) {}
        ~Held() override { locked = false; }
        bool& locked;
    };
    std::vector<std::string>& calls_;
    bool locked_ = false;
};

// The processes running on the fake system, shared by the process tables of several copies.
using FakeProcesses = std::set<std::pair<uint32_t, std::string>>;

// One copy's view: itself, running from construction until end(), and the shared table.
class FakeProcessTable final : public ProcessTable {
  public:
    FakeProcessTable(FakeProcesses& running, ProcessIdentity me)
        : running_(running), me_(std::move(me)) {
        running_.insert({me_.pid, me_.startTime});
    }
    ProcessIdentity self() override { return me_; }
    bool isRunning(const ProcessIdentity& p) override {
        return running_.count({p.pid, p.startTime}) != 0;
    }
    void end() { running_.erase({me_.pid, me_.startTime}); }

  private:
    FakeProcesses& running_;
    ProcessIdentity me_;
};
