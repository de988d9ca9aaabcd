#pragma once
// The directory part of a path, as dirname(1) gives it: "." without a slash, "/" for the root.
#include <string>

inline std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}
