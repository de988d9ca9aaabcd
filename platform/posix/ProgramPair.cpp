#include "platform/posix/ProgramPair.h"

namespace {
struct PathParts {
    std::string directory;
    std::string name;
};

PathParts split(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, slash), path.substr(slash + 1)};
}

bool isOneOfThePair(const std::string& name) {
    return name == kProgramFileName || name == kWindowProgramFileName;
}
} // namespace

bool isSameProgram(const std::string& thisProgram, const std::string& programFile) {
    if (thisProgram.empty()) {
        return false;
    }
    if (programFile == thisProgram) {
        return true;
    }
    const PathParts self = split(thisProgram);
    const PathParts other = split(programFile);
    return !self.directory.empty() && self.directory == other.directory &&
           isOneOfThePair(self.name) && isOneOfThePair(other.name);
}
