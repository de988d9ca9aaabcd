#include "app/FirmwareName.h"

#include "app/TextRules.h"

#include <algorithm>

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days from 1 January 1970 to the given day of the proleptic Gregorian calendar (Howard
// Hinnant's days_from_civil), for any year.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = floorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// A local wall-clock time as seconds since 1 January 1970 00:00 local time, with months and
// days out of range rolled over the way mktime rolls them (month 13 is January of the next
// year, day 0 the last day of the month before). 64-bit throughout, so both builds order every
// date alike; the time zone and daylight saving are left out, as two local times of the same
// zone keep their order without them.
int64_t localTimeValue(int64_t year, int64_t month, int64_t day, int64_t hour) {
    year += floorDiv(month - 1, 12);
    month -= floorDiv(month - 1, 12) * 12;
    return (daysFromCivil(year, month, 1) + day - 1) * 86400 + hour * 3600;
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
