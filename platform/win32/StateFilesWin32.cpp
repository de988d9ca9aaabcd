#include "platform/StateFiles.h"
#include "platform/win32/FileHandles.h"

#include "platform/win32/UniqueHandle.h"

#include <windows.h>

namespace {

// How long a run waits for another one to finish its few journal steps.
constexpr DWORD kLockWaitMs = 10000;

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

class ShareLock final : public StateFileLock {
  public:
    explicit ShareLock(UniqueHandle file) : file_(std::move(file)) {}

  private:
    UniqueHandle file_; // opened without sharing: closing it lets the next run in
};

class Win32StateFiles final : public StateFiles {
  public:
    std::vector<std::string> list(const std::string& directory) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry{};
        FindHandle find(FindFirstFileA((directory + "\\*").c_str(), &entry));
        if (find.get() == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            names.emplace_back(entry.cFileName);
        } while (FindNextFileA(find.get(), &entry));
        return names;
    }

    StateFileText read(const std::string& path, uint64_t maxBytes) override {
        // The link itself is opened, so that it can be refused instead of followed.
        UniqueHandle file(CreateFileA(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                return {};
            }
            return {std::nullopt, "cannot be opened (error " + std::to_string(error) + ")"};
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file.get(), &info)) {
            return {std::nullopt, "cannot be examined"};
        }
        StateFileFacts facts;
        facts.symbolicLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        facts.regularFile = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                            GetFileType(file.get()) == FILE_TYPE_DISK;
        facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (std::string refusal = stateFileRefusal(facts, maxBytes); !refusal.empty()) {
            return {std::nullopt, refusal};
        }
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
            text.append(buffer, got);
            if (text.size() > maxBytes) {
                facts.size = text.size();
                return {std::nullopt, stateFileRefusal(facts, maxBytes)};
            }
        }
        return {text, {}};
    }

    bool replace(const std::string& path, std::string_view bytes) override {
        CreateDirectoryA(directoryOf(path).c_str(), nullptr); // an existing one is fine
        const std::string temporary = path + ".tmp";
        {
            UniqueHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file || !writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
                file.reset();
                DeleteFileA(temporary.c_str());
                return false;
            }
        }
        if (!MoveFileExA(temporary.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileA(temporary.c_str());
            return false;
        }
        return true;
    }

    bool remove(const std::string& path) override {
        return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }

    bool rename(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    std::unique_ptr<StateFileLock> lock(const std::string& path) override {
        CreateDirectoryA(directoryOf(path).c_str(), nullptr);
        const DWORD start = GetTickCount();
        for (;;) {
            UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) {
                return std::make_unique<ShareLock>(std::move(file));
            }
            const DWORD error = GetLastError();
            if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
                GetTickCount() - start >= kLockWaitMs) {
                return nullptr;
            }
            Sleep(20);
        }
    }
};

} // namespace

StateFiles& systemStateFiles() {
    static Win32StateFiles files;
    return files;
}
