#pragma once
// Small files the program keeps about its own work between runs (the record of the printer
// queues it has moved aside), written so that a crash or a power cut never leaves half a file,
// and guarded by a lock that several copies of the program running at once respect.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the system says of a file before the program believes what is in it.
struct StateFileFacts {
    bool symbolicLink = false;   // the name itself is a link (it is never followed)
    bool regularFile = true;     // not a directory, device, FIFO or socket
    bool ownedByThisUser = true; // the file's owner is the user the program runs as
    bool othersMayWrite = false; // its group or everyone may write it
    uint64_t size = 0;
};

// Why a file with these facts must not be believed ("" when it may be): a link, anything but a
// regular file, another user's file, one that others may change, or one larger than maxBytes
// (no record the program writes comes near that; a huge file would only exhaust memory).
std::string stateFileRefusal(const StateFileFacts& facts, uint64_t maxBytes);

// A state file as read: its text, or nothing with why (empty refusal: it does not exist).
struct StateFileText {
    std::optional<std::string> text;
    std::string refusal;
};

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
    // The whole file when stateFileRefusal accepts it; never through a link, and never more than
    // maxBytes read.
    virtual StateFileText read(const std::string& path, uint64_t maxBytes) = 0;
    // Replaces path's contents in one step: written to a new private temporary file beside it
    // (created, never opened through a link), flushed to the disk, then renamed over it. Creates
    // the directory (private) when it is missing.
    virtual bool replace(const std::string& path, std::string_view bytes) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Renames, replacing an existing target.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // An exclusive lock on the lock file at path (a link or anything but a regular file there is
    // refused, never followed), waited for a few seconds at most; nothing
    // when it could not be had by then (a stopped process that holds it must not stop a run).
    virtual std::unique_ptr<StateFileLock> lock(const std::string& path) = 0;
};

StateFiles& systemStateFiles();
