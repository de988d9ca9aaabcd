#pragma once
// A private temporary file. It is always created under a fresh name that did not exist
// before (an existing name, a planted link included, is never opened or followed), it is
// readable and writable by the current user only, and it is removed when the object is
// destroyed unless the caller takes it over with release().
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

class TempFile {
  public:
    TempFile() = default;
    TempFile(TempFile&& other) noexcept { swap(other); }
    TempFile& operator=(TempFile&& other) noexcept {
        TempFile old(std::move(other));
        swap(old);
        return *this;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    // A new file in the system's temporary location (Linux: $TMPDIR or /tmp; Windows: the
    // Temp folder on the system drive, created if missing), named prefix + unique part + suffix.
    static TempFile create(const std::string& prefix, const std::string& suffix);
    // The same in a given directory.
    static TempFile createIn(const std::string& directory, const std::string& prefix,
                             const std::string& suffix);
    // Exactly this path, only if nothing at all exists under that name yet.
    static TempFile createAt(const std::string& path);
    // The directory create() uses.
    static std::string defaultDirectory();

    bool valid() const { return handle_ != invalidHandle; }
    const std::string& path() const { return path_; }
    // The native error (errno or GetLastError) of the last failed operation.
    uint32_t error() const { return error_; }

    // Writes all of data; false on any failure.
    bool write(const void* data, size_t size);
    // Closes the file, reporting whether everything reached it.
    bool close();
    // Closes the file and hands it to the caller: it is no longer removed here.
    std::string release();

  private:
    static constexpr intptr_t invalidHandle = -1; // a POSIX fd or a Win32 HANDLE
    void swap(TempFile& other) noexcept {
        std::swap(handle_, other.handle_);
        std::swap(path_, other.path_);
        std::swap(error_, other.error_);
    }

    intptr_t handle_ = invalidHandle;
    std::string path_;
    uint32_t error_ = 0;
};

// Deletes a file by name; true if it is gone afterwards (also when it never existed).
bool removeFile(const std::string& path);
