#include "engine/FirmwareImage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string openFailureText(int error) {
    switch (error) {
    case ENOENT:
        return "no such file";
    case EACCES:
    case EPERM:
    case EROFS:
        return "permission denied (the file is opened for reading and writing, so it must be "
               "writable too)";
    case EISDIR:
        return "a directory, not a file";
    default:
        return std::strerror(error);
    }
}

std::string failureText(FirmwareImage::LoadResult result) {
    switch (result) {
    case FirmwareImage::LoadResult::Empty:
        return "the file is empty";
    case FirmwareImage::LoadResult::TooLarge:
        return "the file is larger than " + std::to_string(FirmwareImage::maxLength) + " bytes";
    case FirmwareImage::LoadResult::ReadFailed:
        return "the file could not be read to its end";
    case FirmwareImage::LoadResult::OutOfMemory:
        return "not enough memory for the image";
    default:
        return {};
    }
}
} // namespace

FirmwareImage::LoadResult FirmwareImage::load(const std::string& path) {
    const LoadResult result = loadFile(path);
    if (result != LoadResult::Loaded && loadFailure_.empty()) {
        loadFailure_ = path + ": " + failureText(result);
    }
    return result;
}

FirmwareImage::LoadResult FirmwareImage::loadFile(const std::string& path) {
    release();
    loadFailure_.clear();
    // Opened for update, so a read-only or locked file is refused here rather than half-way
    // through the transfer.
    errno = 0;
    File file(std::fopen(path.c_str(), "r+b"));
    if (!file) {
        loadFailure_ = path + ": " + openFailureText(errno);
        return LoadResult::OpenFailed;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return LoadResult::ReadFailed;
    }
    const long end = std::ftell(file.get());
    if (end < 0) {
        return LoadResult::ReadFailed;
    }
    if (end == 0) {
        return LoadResult::Empty;
    }
    if (static_cast<int64_t>(end) > maxLength) {
        return LoadResult::TooLarge;
    }
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return LoadResult::ReadFailed;
    }
    const auto length = static_cast<int32_t>(end);
    // Not value-initialised: every byte is overwritten by the read, and untouched pages of a
    // large image are not committed before the read reaches them.
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size_t(length) + headroom]);
    if (!buffer) {
        return LoadResult::OutOfMemory;
    }
    // A short read would leave part of the buffer undefined and send it to the printer as
    // firmware: a file that shrinks or fails while being read is refused instead.
    size_t total = 0;
    while (total < size_t(length)) {
        const size_t got =
            std::fread(buffer.get() + headroom + total, 1, size_t(length) - total, file.get());
        if (got == 0) {
            return LoadResult::ReadFailed;
        }
        total += got;
    }
    storage_ = std::move(buffer);
    offset_ = headroom;
    length_ = length;
    return LoadResult::Loaded;
}

bool FirmwareImage::ensureHeader(const uint8_t* header, int32_t headerLength) {
    if (!storage_ || headerLength > offset_) {
        return false;
    }
    if (length_ >= headerLength && std::memcmp(data(), header, size_t(headerLength)) == 0) {
        return false;
    }
    offset_ -= headerLength;
    std::memcpy(storage_.get() + offset_, header, size_t(headerLength));
    length_ += headerLength;
    return true;
}

void FirmwareImage::release() {
    storage_.reset();
    offset_ = 0;
    length_ = 0;
}
