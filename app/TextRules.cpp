#include "app/TextRules.h"

#include <limits>

namespace {
char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

std::string toUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = upper(c);
    }
    return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

int32_t decimalValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a magnitude that stops growing past the 32-bit range.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

std::string joinPath(const std::string& directory, char separator, const std::string& name) {
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path += directory;
    path += separator;
    path += name;
    return path;
}

bool isAbsolutePath(const std::string& name, char separator) {
    if (separator == '/') {
        return !name.empty() && name[0] == '/';
    }
    const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = name.size() >= 3 &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
                       name[1] == ':' && isSlash(name[2]);
    const bool unc = name.size() >= 2 && isSlash(name[0]) && isSlash(name[1]);
    return drive || unc;
}

std::string pathInDirectory(const std::string& directory, char separator, const std::string& name) {
    return isAbsolutePath(name, separator) ? name : joinPath(directory, separator, name);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
