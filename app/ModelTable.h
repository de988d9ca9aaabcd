#pragma once
// The printer models that can be chosen by name, and the family prefixes that a model name
// from the INI file or a firmware file name must carry.
#include <array>
#include <cstdint>
#include <string_view>

struct ModelEntry {
    std::string_view modelName;
    int32_t modelCode;
};

struct ModelTable {
    static constexpr std::array<ModelEntry, 2> entries{
        {{"T90 Standard", 1111}, {"T90 Prime", 1112}}};
};

// The code of the table entry named exactly name; the first entry's code for any other name.
int32_t modelCodeFor(std::string_view name);

// Whether a table entry is named exactly name (any other name gets the first entry's code).
bool isModelTableName(std::string_view name);

// True when the first three characters are "KAV", "KEW", "KIX", "KOY" or "KUZ" (case-sensitive).
bool hasFamilyPrefix(std::string_view modelName);
