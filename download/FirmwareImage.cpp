#include "download/FirmwareImage.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

FirmwareImage::LoadResult FirmwareImage::load(const std::string& path) {
    release();
    // Opened for update, so a read-only or locked file is refused here rather than half-way
    // through the transfer.
    File file(std::fopen(path.c_str(), "r+b"));
    if (!file) {
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
