#include "platform/FileSystem.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/UniqueHandle.h"

#include <fstream>
#include <windows.h>

namespace {

class Win32FileSystem final : public FileSystem {
  public:
    void listDirectory(const std::string& directory,
                       const std::function<bool(const std::string&)>& onEntry) override {
        WIN32_FIND_DATAA entry{};
        // Every entry is listed; callers filter names themselves so that the result does not
        // depend on 8.3 short-name matching of wildcards.
        FindHandle find(FindFirstFileA((directory + "\\*").c_str(), &entry));
        if (!find.valid()) {
            return;
        }
        do {
            if (!onEntry(entry.cFileName)) {
                return;
            }
        } while (FindNextFileA(find.get(), &entry));
    }

    FileProbe probeReadable(const std::string& path) override {
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                return {ProbeStatus::Missing, static_cast<int32_t>(error)};
            }
            return {ProbeStatus::Failed, static_cast<int32_t>(error)};
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
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) {
            return false;
        }
        return writeAll(file.get(), bytes);
    }

    bool createNew(const std::string& path, std::string_view bytes) override {
        // The per-user log folder is made with its first file (an existing one is fine).
        const auto slash = path.find_last_of('\\');
        if (slash != std::string::npos && slash > 0) {
            CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        }
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file && writeAll(file.get(), bytes);
    }
};

} // namespace

FileSystem& systemFileSystem() {
    static Win32FileSystem files;
    return files;
}
