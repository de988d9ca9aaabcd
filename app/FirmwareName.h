#pragma once
// How a firmware file name is read: "<model>_<anything><MMDDYY>.fls".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// True for "." and "..".
bool isDotEntry(std::string_view title);

// True when the name ends in ".fls" in any letter case.
bool hasFirmwareExtension(std::string_view name);

// The name without its extension (everything before the last '.'; the whole name without one).
std::string_view fileTitle(std::string_view name);

// Everything before the first '_'; empty when there is none.
std::string_view firmwareModelPart(std::string_view name);

// The date of the six characters before the last four (MMDDYY, year 20YY) at 00:00:00 local
// time, as seconds of local time since 1970. Each pair is read like atoi and the calendar
// normalises the result, so "13" as a month rolls into the next year. Computed in 64 bits on
// every build, so a date from 2038 on is ordered like any other; it always has a value.
std::optional<int64_t> firmwareDate(std::string_view name);

// 1 January 1970, 09:00:00 local time: a file must be dated later than this to be chosen.
std::optional<int64_t> earliestFirmwareDate();
