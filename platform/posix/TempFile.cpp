#include "platform/TempFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace {

constexpr int attempts = 100;

// Twelve characters from [0-9a-z], drawn from the kernel's random source so another user
// cannot predict the next name.
std::string uniquePart() {
    static const char alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned char bytes[12] = {};
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break; // fall back on what we have; O_EXCL still keeps creation safe
        }
        got += static_cast<size_t>(n);
    }
    std::string part;
    for (unsigned char b : bytes)
        part += alphabet[b % 36];
    return part;
}

} // namespace

std::string TempFile::defaultDirectory() {
    const char* dir = std::getenv("TMPDIR");
    if (dir != nullptr && dir[0] == '/')
        return dir;
    return "/tmp";
}

TempFile TempFile::create(const std::string& prefix, const std::string& suffix) {
    return createIn(defaultDirectory(), prefix, suffix);
}

TempFile TempFile::createIn(const std::string& directory, const std::string& prefix,
                            const std::string& suffix) {
    TempFile file;
    std::string dir = directory;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    for (int i = 0; i < attempts; ++i) {
        file = createAt(dir + "/" + prefix + uniquePart() + suffix);
        if (file.valid() || file.error_ != EEXIST)
            break;
    }
    return file;
}

TempFile TempFile::createAt(const std::string& path) {
    TempFile file;
    // O_EXCL: fail if the name exists in any form, a symbolic link included; O_NOFOLLOW says
    // the same for the last component on systems where O_EXCL alone would not.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        file.error_ = static_cast<uint32_t>(errno);
        return file;
    }
    file.handle_ = fd;
    file.path_ = path;
    return file;
}

bool TempFile::write(const void* data, size_t size) {
    if (!valid())
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(handle_), p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = static_cast<uint32_t>(errno);
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool TempFile::close() {
    if (!valid())
        return true;
    int fd = static_cast<int>(handle_);
    handle_ = invalidHandle;
    if (::close(fd) != 0) {
        error_ = static_cast<uint32_t>(errno);
        return false;
    }
    return true;
}

bool removeFile(const std::string& path) {
    if (path.empty())
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}
