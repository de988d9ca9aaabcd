#include "platform/ProcessEnvironment.h"

#include <windows.h>

namespace {

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
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
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
