#include "app/ModelFamily.h"

#include <array>

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
