#pragma once

#include "nights/UsageStatistics.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velunora::usage {

// The nights of the days as comma-separated values for a spreadsheet: a header row, then one
// row a night in date order, the dot as decimal point whatever the locale, an empty cell for a
// figure the night lacks. The day is written as YYYY-MM-DD.
std::string nightsTable(std::span<const DayOfUse> days);

// The day as YYYY-MM-DD, and back (nothing for any other text or an impossible date).
std::string isoDay(Day day);
std::optional<Day> parseIsoDay(std::string_view text);

} // namespace velunora::usage
