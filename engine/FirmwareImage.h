#pragma once
// The whole firmware file held in memory for one transfer. The buffer keeps six spare bytes in
// front of the file's contents so that a header can be put before the image without copying
// it; packets are sent straight from this buffer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class FirmwareImage {
  public:
    // Largest image the engine accepts: the length is carried as a 32-bit signed count and may
    // still grow by a six-byte header.
    static constexpr int64_t maxLength = INT32_MAX - 6;

    enum class LoadResult { Loaded, OpenFailed, Empty, TooLarge, ReadFailed, OutOfMemory };

    // Opens `path` for reading and updating (so a read-only file is refused, like a locked one)
    // and reads all of it. A file of no bytes is refused: the printer would receive nothing while
    // the run reported a download. On any failure the image stays empty.
    LoadResult load(const std::string& path);
    // Why the last load failed, in words ("no such file", "a directory, not a file"); empty
    // after a load that succeeded.
    const std::string& loadFailure() const { return loadFailure_; }

    // Puts `header` in front unless the image already begins with it. Returns true when added.
    bool ensureHeader(const uint8_t* header, int32_t headerLength);

    const uint8_t* data() const { return storage_ ? storage_.get() + offset_ : nullptr; }
    int32_t length() const { return length_; }
    bool empty() const { return !storage_; }
    void release();

    // Room kept in front of the contents; ensureHeader can use at most this much.
    static constexpr int32_t headroom = 6;

  private:
    LoadResult loadFile(const std::string& path);

    std::unique_ptr<uint8_t[]> storage_;
    int32_t offset_ = 0;
    int32_t length_ = 0;
    std::string loadFailure_;
};
