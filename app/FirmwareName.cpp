#include "app/FirmwareName.h"

#include "app/TextRules.h"

#include <algorithm>
#include <ctime>

namespace {

std::optional<int64_t> localTimeValue(int32_t year, int32_t month, int32_t day, int32_t hour) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_isdst = -1; // daylight saving as the calendar says
    const std::time_t value = std::mktime(&parts);
    if (value == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(value);
}

} // namespace

bool isDotEntry(std::string_view title) {
    return title == "." || title == "..";
}

bool hasFirmwareExtension(std::string_view name) {
    return name.size() >= 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".fls");
}

std::string_view fileTitle(std::string_view name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string_view firmwareModelPart(std::string_view name) {
    const auto underscore = name.find('_');
    return underscore == std::string_view::npos ? std::string_view() : name.substr(0, underscore);
}

std::optional<int64_t> firmwareDate(std::string_view name) {
    const std::string_view date = name.substr(name.size() >= 10 ? name.size() - 10 : 0, 6);
    auto pair = [&](size_t index) {
        return std::string(date.substr(std::min(date.size(), index * 2), 2));
    };
    const int32_t month = decimalValue(pair(0));
    const int32_t day = decimalValue(pair(1));
    const int32_t year = decimalValue("20" + pair(2));
    return localTimeValue(year, month, day, 0);
}

std::optional<int64_t> earliestFirmwareDate() {
    return localTimeValue(1970, 1, 1, 9);
}
