#include "platform/ProcessEnvironment.h"
#include "platform/posix/LogPlace.h"
#include "platform/posix/PathParts.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// $XDG_STATE_HOME/mirelith, or ~/.local/state/mirelith; empty when neither can be formed.
std::string userStateDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/mirelith";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/state/mirelith";
    }
    return {};
}

class PosixEnvironment final : public ProcessEnvironment {
  public:
    std::string programFilePath() override {
        std::string buffer(256, '\0');
        for (;;) {
            const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
            if (n < 0) {
                return {};
            }
            if (static_cast<size_t>(n) < buffer.size()) {
                buffer.resize(static_cast<size_t>(n));
                return buffer;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    std::string currentDirectory() override {
        std::string buffer(256, '\0');
        for (;;) {
            if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
                buffer.resize(std::char_traits<char>::length(buffer.c_str()));
                return buffer;
            }
            if (errno != ERANGE) {
                // The directory was removed under us (or cannot be named): "." still is the
                // current directory, whereas an empty name would send every path to the root.
                return ".";
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    std::string logDirectory() override {
        const std::string programDirectory = directoryOf(programFilePath());
        struct stat info {};
        const bool ownedByRootAlone = ::stat(programDirectory.c_str(), &info) == 0 &&
                                      info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
        return chooseLogDirectory(programDirectory, ::access(programDirectory.c_str(), W_OK) == 0,
                                  ::geteuid() == 0, userStateDirectory(), ownedByRootAlone);
    }

    LocalDateTime localTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm parts{};
        ::localtime_r(&now, &parts);
        return LocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                             parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    }
};

} // namespace

ProcessEnvironment& systemEnvironment() {
    static PosixEnvironment environment;
    return environment;
}

char pathSeparator() {
    return '/';
}
