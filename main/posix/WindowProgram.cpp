#include "main/posix/WindowProgram.h"

#include "platform/FileSystem.h"
#include "platform/posix/ProgramPair.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef MIRELITH_WINDOW_PROGRAM_DIRS
#define MIRELITH_WINDOW_PROGRAM_DIRS "/usr/bin"
#endif

namespace {

constexpr const char* kSilentHint =
    "; for a silent download run 'mirelith -s -p NET <address> -m <model> -f <file>' or put a "
    "qemnuv.ini in the current directory";

std::string thisProgramDirectory() {
    std::string target(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
        return {};
    }
    target.resize(static_cast<size_t>(n));
    return target.substr(0, target.rfind('/'));
}

std::vector<std::string> installDirectories() {
    std::vector<std::string> dirs;
    const std::string list = MIRELITH_WINDOW_PROGRAM_DIRS;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t colon = std::min(list.find(':', start), list.size());
        if (colon > start) {
            dirs.push_back(list.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return dirs;
}

bool isExecutableFile(const std::string& path) {
    struct stat entry {};
    return ::stat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Beside this program first, then the install directories, each once.
std::vector<std::string>
windowProgramCandidates(const std::string& programDirectory,
                        const std::vector<std::string>& installDirectories) {
    std::vector<std::string> candidates;
    const auto add = [&](const std::string& directory) {
        if (directory.empty()) {
            return;
        }
        const std::string path = directory + "/" + kWindowProgramFileName;
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end()) {
            candidates.push_back(path);
        }
    };
    add(programDirectory);
    for (const std::string& directory : installDirectories) {
        add(directory);
    }
    return candidates;
}

} // namespace

std::string handOverToWindowProgram(char** argv) {
    std::string refused;
    for (const std::string& program :
         windowProgramCandidates(thisProgramDirectory(), installDirectories())) {
        if (!isExecutableFile(program)) {
            continue;
        }
        // Root starts only what root alone could have put there (always "" for anyone else).
        if (const std::string distrust = systemFileSystem().distrustReason(program);
            !distrust.empty()) {
            refused = program + " is not started by a run as root: " + distrust;
            continue;
        }
        std::fflush(nullptr);
        ::execv(program.c_str(), argv);
        return "mirelith: the window's program " + program +
               " could not be started: " + std::strerror(errno) + kSilentHint;
    }
    if (!refused.empty()) {
        return "mirelith: " + refused + kSilentHint;
    }
    return std::string("mirelith: the window is not installed: it comes with the ") +
           kWindowProgramFileName + " package (apt install " + kWindowProgramFileName + ")" +
           kSilentHint;
}
