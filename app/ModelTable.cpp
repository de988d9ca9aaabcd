#include "app/ModelTable.h"

int32_t modelCodeFor(std::string_view name) {
    for (const ModelEntry& entry : ModelTable::entries) {
        if (entry.modelName == name) {
            return entry.modelCode;
        }
    }
    return ModelTable::entries[0].modelCode;
}

bool isModelTableName(std::string_view name) {
    for (const ModelEntry& entry : ModelTable::entries) {
        if (entry.modelName == name) {
            return true;
        }
    }
    return false;
}

bool hasFamilyPrefix(std::string_view modelName) {
    static constexpr std::array<std::string_view, 5> prefixes{"KAV", "KEW", "KIX", "KOY", "KUZ"};
    const std::string_view head = modelName.substr(0, 3);
    for (std::string_view prefix : prefixes) {
        if (head == prefix) {
            return true;
        }
    }
    return false;
}
