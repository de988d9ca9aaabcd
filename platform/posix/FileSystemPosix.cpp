#include "platform/FileSystem.h"
#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_;
};

class DirectoryStream {
  public:
    explicit DirectoryStream(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~DirectoryStream() {
        if (dir_ != nullptr) {
            ::closedir(dir_);
        }
    }
    DirectoryStream(const DirectoryStream&) = delete;
    DirectoryStream& operator=(const DirectoryStream&) = delete;
    DIR* get() const { return dir_; }

  private:
    DIR* dir_;
};

// mkdir -p for the directory part of path (the per-user log directory may not exist yet).
// False, with errno saying why, when a directory could not be made.
bool createParentDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Root, and the administrator who started the program through sudo.
bool trustedOwner(uid_t owner) {
    if (owner == 0) {
        return true;
    }
    const char* sudoUid = std::getenv("SUDO_UID");
    if (sudoUid == nullptr || *sudoUid == '\0') {
        return false;
    }
    char* end = nullptr;
    const unsigned long id = std::strtoul(sudoUid, &end, 10);
    return *end == '\0' && id == owner;
}

// "" when info's owner is trusted and neither its group nor others may write it (links have no
// mode of their own: only their owner counts).
std::string ownershipFault(const struct stat& info, bool link) {
    if (!trustedOwner(info.st_uid)) {
        return "owned by user " + std::to_string(info.st_uid);
    }
    if (!link && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return "writable by other users";
    }
    return {};
}

std::string distrustOf(std::string path, const std::string& currentDirectory) {
    // The file, then each link it leads through, each judged with the directory it is in.
    for (int hop = 0; hop < 40; ++hop) {
        if (path.empty() || path[0] != '/') {
            path = currentDirectory + "/" + path;
        }
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0) {
            return {}; // missing: said later, as for any run
        }
        const std::string directory = parentOf(path);
        struct stat folder {};
        if (::stat(directory.c_str(), &folder) != 0) {
            return directory + ": " + std::strerror(errno);
        }
        if (std::string fault = ownershipFault(folder, false); !fault.empty()) {
            return "the directory " + directory + " is " + fault;
        }
        const bool link = S_ISLNK(entry.st_mode);
        if (std::string fault = ownershipFault(entry, link); !fault.empty()) {
            return (link ? "the symbolic link " : "") + path + " is " + fault;
        }
        if (!link) {
            return {};
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
            return path + ": the symbolic link cannot be read";
        }
        target.resize(static_cast<size_t>(n));
        path = target[0] == '/' ? target : directory + "/" + target;
    }
    return path + ": too many symbolic links";
}

class PosixFileSystem final : public FileSystem {
  public:
    void listDirectory(const std::string& directory,
                       const std::function<bool(const std::string&)>& onEntry) override {
        DirectoryStream dir(directory);
        if (dir.get() == nullptr) {
            return;
        }
        while (const dirent* entry = ::readdir(dir.get())) {
            if (!onEntry(entry->d_name)) {
                return;
            }
        }
    }

    FileProbe probeReadable(const std::string& path) override {
        // Non-blocking, so that a FIFO in place of a file cannot hang start-up.
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.valid()) {
            return errno == ENOENT ? FileProbe{ProbeStatus::Missing, ENOENT}
                                   : FileProbe{ProbeStatus::Failed, errno};
        }
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) {
            return {ProbeStatus::Failed, errno};
        }
        if (S_ISDIR(info.st_mode)) {
            return {ProbeStatus::Failed, EISDIR};
        }
        if (!S_ISREG(info.st_mode)) {
            return {ProbeStatus::Failed, EINVAL};
        }
        return {ProbeStatus::Readable, 0};
    }

    std::unique_ptr<std::istream> openForReading(const std::string& path) override {
        auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
        if (!stream->is_open()) {
            return nullptr;
        }
        return stream;
    }

    // The log is never written through a link (one planted beside it would aim the program's
    // lines at any file it may write), nor into a FIFO or device: errno says ELOOP or EINVAL.
    bool appendToExisting(const std::string& path, std::string_view bytes) override {
        // A FIFO without a reader would fail to open with a reason that says nothing useful.
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) == 0 && !S_ISREG(entry.st_mode) &&
            !S_ISLNK(entry.st_mode)) {
            errno = EINVAL;
            return false;
        }
        FileDescriptor fd(
            ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (!fd.valid()) {
            return false;
        }
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) {
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            errno = EINVAL;
            return false;
        }
        return writeAll(fd.get(), bytes);
    }

    std::string distrustReason(const std::string& path) override {
        if (::geteuid() != 0) {
            return {};
        }
        char here[4096];
        const std::string current = ::getcwd(here, sizeof here) != nullptr ? here : ".";
        return distrustOf(path, current);
    }

    bool createNew(const std::string& path, std::string_view bytes) override {
        // Exclusive creation never follows a link; the log is the program's own, mode 0600.
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
        int raw = ::open(path.c_str(), flags, 0600);
        if (raw < 0 && errno == ENOENT) {
            // A directory that cannot be made is the reason the caller wants to hear.
            if (!createParentDirectories(path)) {
                return false;
            }
            raw = ::open(path.c_str(), flags, 0600);
        }
        FileDescriptor fd(raw);
        return fd.valid() && writeAll(fd.get(), bytes);
    }
};

} // namespace

FileSystem& systemFileSystem() {
    static PosixFileSystem files;
    return files;
}
