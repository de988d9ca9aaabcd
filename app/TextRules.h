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
