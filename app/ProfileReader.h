#pragma once
// Reads one value from an INI file with the matching rules of the Windows profile functions
// (GetPrivateProfileStringA / GetPrivateProfileIntA), so that a user's file means the same on
// every platform:
// - lines end at CR or LF; blanks (and Ctrl-Z) around a line are ignored, and so are empty lines;
// - "[name]" starts a section, the name (trimmed) running to the last ']' of the line;
// - "key = value": key and value are trimmed; a line without '=' is a key without a value;
// - section and key names match regardless of ASCII letter case;
// - only the first section of the wanted name is searched, and its first matching key wins;
// - a value enclosed in matching single or double quotes loses them;
// - at most bufferSize - 1 characters are returned.
// The file is read as a stream and held one bounded line at a time, so its size does not matter.
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

constexpr size_t kProfileBufferSize = 260;

// The value of key in section, or "" when the key, the section or the file is missing.
std::string readProfileString(std::istream& in, std::string_view section, std::string_view key,
                              size_t bufferSize = kProfileBufferSize);
std::string readProfileString(FileSystem& files, const std::string& path, std::string_view section,
                              std::string_view key, size_t bufferSize = kProfileBufferSize);

// The value as an integer (leading blanks and a sign allowed; "0x", "0o" and "0b" select
// another base; digits up to the first other character; wrapping at 32 bits, like the
// platform's conversion), or defaultValue when the key is missing or its value is empty.
int32_t readProfileInt(std::istream& in, std::string_view section, std::string_view key,
                       int32_t defaultValue);
int32_t readProfileInt(FileSystem& files, const std::string& path, std::string_view section,
                       std::string_view key, int32_t defaultValue);
