#include "platform/FileSystem.h"

#include <cerrno>
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

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

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

    bool appendToExisting(const std::string& path, std::string_view bytes) override {
        FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
        return fd.valid() && writeAll(fd.get(), bytes);
    }

    bool createNew(const std::string& path, std::string_view bytes) override {
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
        int raw = ::open(path.c_str(), flags, 0644);
        if (raw < 0 && errno == ENOENT) {
            // A directory that cannot be made is the reason the caller wants to hear.
            if (!createParentDirectories(path)) {
                return false;
            }
            raw = ::open(path.c_str(), flags, 0644);
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
