#include "platform/posix/LogPlace.h"

#include <array>
#include <string_view>

namespace {
bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}
} // namespace

bool isSystemProgramDirectory(const std::string& programDirectory) {
    std::string_view dir = programDirectory;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.remove_suffix(1);
    }
    constexpr std::array<std::string_view, 4> kRootLevel{"/bin", "/sbin", "/snap/bin", "/app/bin"};
    for (std::string_view known : kRootLevel) {
        if (dir == known) {
            return true;
        }
    }
    // /usr/bin, /usr/local/sbin, /usr/games, /opt/vendor/bin, /usr/lib/<pkg>/bin ...
    const bool systemTree = startsWith(dir, "/usr/") || startsWith(dir, "/opt/");
    return systemTree &&
           (endsWith(dir, "/bin") || endsWith(dir, "/sbin") || endsWith(dir, "/games"));
}

std::string chooseLogDirectory(const std::string& programDirectory, bool programDirectoryWritable,
                               bool runAsRoot, const std::string& stateDirectory,
                               bool ownedByRootAlone) {
    if (programDirectoryWritable && !isSystemProgramDirectory(programDirectory) &&
        (!runAsRoot || ownedByRootAlone)) {
        return programDirectory;
    }
    if (runAsRoot) {
        return "/var/log/mirelith";
    }
    return stateDirectory.empty() ? programDirectory : stateDirectory;
}
