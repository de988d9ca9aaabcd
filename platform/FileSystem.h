#pragma once
// The file operations start-up and the event log need: list a directory, test that a file can
// be read, read it as a stream, and the two writes of the log file.
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

enum class ProbeStatus : int32_t {
    Readable, // exists and could be opened for reading
    Missing,  // does not exist
    Failed    // exists (or may exist) but cannot be opened; systemError says why
};

struct FileProbe {
    ProbeStatus status = ProbeStatus::Missing;
    int32_t systemError = 0; // errno or GetLastError value when status is Failed
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Calls onEntry with the name of every entry of directory (files and directories alike,
    // no path), in the platform's order, until onEntry returns false. Nothing is called when
    // the directory cannot be listed.
    virtual void listDirectory(const std::string& directory,
                               const std::function<bool(const std::string& name)>& onEntry) = 0;
    // Whether path names a regular file this process can open for reading.
    virtual FileProbe probeReadable(const std::string& path) = 0;
    // A binary input stream over the file, or null when it cannot be opened.
    virtual std::unique_ptr<std::istream> openForReading(const std::string& path) = 0;
    // Appends bytes at the end of an existing regular file. False when the file does not exist
    // or cannot be opened for writing; the file is never created or truncated here, and never
    // written through a symbolic link (errno ELOOP where the system keeps errno) or when it is
    // not a regular file (EINVAL).
    virtual bool appendToExisting(const std::string& path, std::string_view bytes) = 0;
    // Creates path only if it does not exist yet (a link in its place counts as existing) and
    // writes bytes into it, readable by this user only where the system has such modes. False
    // when the file already exists or cannot be created; an existing file is never truncated.
    virtual bool createNew(const std::string& path, std::string_view bytes) = 0;
    // Why a run with the system's highest rights must not believe this settings or firmware
    // file; "" when it may, when the file does not exist, and always for an ordinary run. Such a
    // run uses only what the file's owner, each link on the way to it and the directory it is
    // found in could not have been given by another user: all belong to the administrator (or
    // to the user who became one) and no one else may write them.
    virtual std::string distrustReason(const std::string& path) {
        (void)path;
        return {};
    }
};

// The real file system.
FileSystem& systemFileSystem();
