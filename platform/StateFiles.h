#pragma once
// Small files the program keeps about its own work between runs (the record of the printer
// queues it has moved aside), written so that a crash or a power cut never leaves half a file,
// and guarded by a lock that several copies of the program running at once respect.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Held until destroyed. The system releases it when its process dies, however it dies.
class StateFileLock {
  public:
    virtual ~StateFileLock() = default;
};

class StateFiles {
  public:
    virtual ~StateFiles() = default;
    // The names (no path) of the entries of directory; empty when it cannot be listed.
    virtual std::vector<std::string> list(const std::string& directory) = 0;
    // The whole file, or nothing when it cannot be read.
    virtual std::optional<std::string> read(const std::string& path) = 0;
    // Replaces path's contents in one step: written to a temporary file beside it, flushed to
    // the disk, then renamed over it. Creates the directory when it is missing.
    virtual bool replace(const std::string& path, std::string_view bytes) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Renames, replacing an existing target.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // An exclusive lock on the lock file at path, waited for a few seconds at most; nothing
    // when it could not be had by then (a stopped process that holds it must not stop a run).
    virtual std::unique_ptr<StateFileLock> lock(const std::string& path) = 0;
};

StateFiles& systemStateFiles();
