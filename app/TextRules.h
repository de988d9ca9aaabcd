#pragma once
// Small text rules shared by the settings readers and firmware discovery. All comparisons are
// byte-wise; only ASCII letters change case.
#include <cstdint>
#include <string>
#include <string_view>

std::string toUpperAscii(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWith(std::string_view text, std::string_view prefix);

// The C library's atoi rule: optional leading white space and sign, then decimal digits; 0
// when the text does not start that way. Out-of-range values are clamped to 32 bits.
int32_t decimalValue(std::string_view text);

// directory + separator + name.
std::string joinPath(const std::string& directory, char separator, const std::string& name);

// Whether name is an absolute path in the syntax of the system whose separator is given: on
// Linux ('/') one beginning with '/'; on Windows ('\\') a drive path ("C:\fw", "C:/fw") or a
// UNC path ("\\server\share\fw", also with forward slashes).
bool isAbsolutePath(const std::string& name, char separator);

// A file name from the settings as a path: an absolute one as it is, a relative one in
// directory.
std::string pathInDirectory(const std::string& directory, char separator, const std::string& name);

// The last component of a path, after its last '/' or '\' (either system's separator).
std::string fileNameOf(const std::string& path);
