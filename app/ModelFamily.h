#pragma once
// The family prefixes that a model name from the INI file or a firmware file name must carry.
#include <string_view>

// True when the first three characters are "KAV", "KEW", "KIX", "KOY" or "KUZ" (case-sensitive).
bool hasFamilyPrefix(std::string_view modelName);
