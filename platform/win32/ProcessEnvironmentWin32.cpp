#include "platform/ProcessEnvironment.h"
#include "platform/WindowsLogPlace.h"
#include "platform/win32/UniqueHandle.h"

#include <cstdio>
#include <windows.h>

#include <shlobj.h>

namespace {

// Whether this process may create files in directory. Only a real attempt answers for every
// case alike: access lists, a read-only share or medium, Wine's mapping onto Unix permissions.
// The probe file is hidden, temporary and removed when its handle closes.
bool directoryWritable(const std::string& directory) {
    if (directory.empty()) {
        return false;
    }
    char name[64];
    std::snprintf(name, sizeof name, "\\.mirelith-probe-%lu-%lu.tmp",
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetTickCount()));
    const UniqueHandle probe(CreateFileA(
        (directory + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(probe);
}

// The user's local application data folder ("C:\Users\ann\AppData\Local"), "" when the
// system does not name one.
std::string localAppDataDirectory() {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return path;
    }
    const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

class Win32Environment final : public ProcessEnvironment {
  public:
    std::string programFilePath() override {
        // Grown until the whole path fits, so a deep install directory is not cut short.
        std::string buffer(MAX_PATH, '\0');
        for (;;) {
            const DWORD n =
                GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) {
                return {};
            }
            if (n < buffer.size()) {
                buffer.resize(n);
                return buffer;
            }
            if (buffer.size() >= 32768) {
                return {};
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    std::string currentDirectory() override {
        const DWORD needed = GetCurrentDirectoryA(0, nullptr);
        if (needed == 0) {
            return {};
        }
        std::string buffer(needed, '\0');
        const DWORD n = GetCurrentDirectoryA(needed, buffer.data());
        if (n == 0 || n >= needed) {
            return {};
        }
        buffer.resize(n);
        return buffer;
    }

    std::string logDirectory() override {
        const std::string path = programFilePath();
        const auto slash = path.find_last_of('\\');
        const std::string programDirectory =
            slash == std::string::npos ? std::string() : path.substr(0, slash);
        return chooseWindowsLogDirectory(programDirectory, directoryWritable(programDirectory),
                                         localAppDataDirectory());
    }

    LocalDateTime localTime() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return LocalDateTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
};

} // namespace

ProcessEnvironment& systemEnvironment() {
    static Win32Environment environment;
    return environment;
}

char pathSeparator() {
    return '\\';
}
