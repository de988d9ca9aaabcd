#include "platform/StateFiles.h"
#include "platform/posix/PathParts.h"
#include "platform/posix/WriteAll.h"

#include "platform/TextEscape.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// How long a run waits for another one to finish its few journal steps.
constexpr auto kLockWait = std::chrono::seconds(10);

// mkdir -p: the per-user state directory may not exist yet.
void createDirectories(const std::string& directory) {
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return;
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

class FlockLock final : public StateFileLock {
  public:
    explicit FlockLock(UniqueFd fd) : fd_(std::move(fd)) {}

  private:
    UniqueFd fd_; // closing it releases the lock
};

class PosixStateFiles final : public StateFiles {
  public:
    std::vector<std::string> list(const std::string& directory) override {
        std::vector<std::string> names;
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
        if (!dir) {
            return names;
        }
        while (const dirent* entry = ::readdir(dir.get())) {
            names.emplace_back(entry->d_name);
        }
        return names;
    }

    StateFileText read(const std::string& path, uint64_t maxBytes) override {
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
        if (!fd) {
            if (errno == ENOENT) {
                return {};
            }
            return {std::nullopt, errno == ELOOP ? stateFileRefusal({true}, maxBytes)
                                                 : std::string(std::strerror(errno))};
        }
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) {
            return {std::nullopt, std::strerror(errno)};
        }
        const StateFileFacts facts{false, S_ISREG(info.st_mode), info.st_uid == ::geteuid(),
                                   (info.st_mode & (S_IWGRP | S_IWOTH)) != 0,
                                   static_cast<uint64_t>(info.st_size)};
        if (std::string refusal = stateFileRefusal(facts, maxBytes); !refusal.empty()) {
            return {std::nullopt, refusal};
        }
        // Read no further than the limit, whatever the file grows to meanwhile.
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return {std::nullopt, std::strerror(errno)};
            }
            if (n == 0) {
                return {text, {}};
            }
            text.append(buffer, static_cast<size_t>(n));
            if (text.size() > maxBytes) {
                return {std::nullopt,
                        stateFileRefusal({false, true, true, false, text.size()}, maxBytes)};
            }
        }
    }

    bool replace(const std::string& path, std::string_view bytes) override {
        const std::string directory = directoryOf(path);
        createDirectories(directory);
        // A fresh name made exclusively (mode 0600): a planted file or link of a predictable
        // name beside the journal is never opened, let alone written through.
        std::string temporary = path + ".tmp.XXXXXX";
        {
            UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
            if (!fd) {
                return false;
            }
            if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
                ::unlink(temporary.c_str());
                return false;
            }
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        syncDirectory(directory);
        return true;
    }

    bool remove(const std::string& path) override {
        const bool removed = ::unlink(path.c_str()) == 0 || errno == ENOENT;
        syncDirectory(directoryOf(path));
        return removed;
    }

    bool rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    std::unique_ptr<StateFileLock> lock(const std::string& path) override {
        createDirectories(directoryOf(path));
        UniqueFd fd(
            ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
        struct stat info {};
        if (!fd && errno == ELOOP) {
            reportRefused(path, "a symbolic link, not followed");
            return nullptr;
        }
        if (!fd || ::fstat(fd.get(), &info) != 0) {
            return nullptr;
        }
        if (!S_ISREG(info.st_mode)) {
            reportRefused(path, "not a regular file");
            return nullptr;
        }
        const auto deadline = std::chrono::steady_clock::now() + kLockWait;
        while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) ||
                std::chrono::steady_clock::now() >= deadline) {
                return nullptr;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::make_unique<FlockLock>(std::move(fd));
    }

  private:
    // The run goes on without the lock, as it does when another copy holds it too long.
    static void reportRefused(const std::string& path, const char* why) {
        std::fprintf(stderr, "mirelith: the lock file %s is refused (%s); going on without it\n",
                     escapeForLine(path).c_str(), why);
    }

    // The rename itself reaches the disk only with its directory.
    static void syncDirectory(const std::string& directory) {
        UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd) {
            ::fsync(fd.get());
        }
    }
};

} // namespace

StateFiles& systemStateFiles() {
    static PosixStateFiles files;
    return files;
}
