#pragma once

#include "records/Records.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What a patient and a clinic ask of the published nights: how long the device was used, how
// many events, how much pressure and leak, and whether use met the usual adherence rule. Worked
// out once here for the panel, the history window, the report and the command line.
namespace velunora::usage {

// A calendar day. Periods are walked a day at a time in days, never in seconds, so that a change
// of time zone or of the clocks neither loses nor doubles a day.
using Day = std::chrono::sys_days;

// Hours of use from which a night counts as a night of use for the clinics.
inline constexpr double compliantHours = 4.0;
// The usual adherence rule: at least 21 days of 4 h or more within some 30 consecutive days.
inline constexpr int adherenceWindowDays = 30;
inline constexpr int adherenceRequiredDays = 21;

// The calendar day a night is filed under. The night's date is the start of its local day in
// the zone of the import; the day is read half a day later in the current zone, which gives the
// same day unless the two zones are twelve hours or more apart. Nothing for a date the calendar
// cannot represent.
std::optional<Day> dayOfNight(Date nightDate);

// Days from `first` to `last`, both included; empty when `last` is before `first`.
struct Period {
    Day first;
    Day last;

    std::int64_t dayCount() const noexcept { return last < first ? 0 : (last - first).count() + 1; }
    bool contains(Day day) const noexcept { return first <= day && day <= last; }
};

// The `dayCount` days that end with `last`.
Period periodEndingOn(Day last, std::int64_t dayCount) noexcept;

// One day of a period: the hours of use (zero without a night) and the nights filed under it
// (more than one only after a change of time zone).
struct DayOfUse {
    Day day;
    double hours = 0.0;
    std::vector<const NightSummary*> nights;

    bool isCompliant() const noexcept { return hours >= compliantHours; }
};

// The longest period worked on: a date edited far into the future must not make every view
// walk millions of days.
inline constexpr std::int64_t maximumPeriodDays = 40'000;

// Every day of the period in order, days without a night included; of a longer period than
// maximumPeriodDays, its last days. Nights that are not finite, or fall outside the period,
// are left out. `nights` must outlive the result.
std::vector<DayOfUse> daysOfUse(std::span<const NightSummary> nights, Period period);

// A run of consecutive days.
struct DayRun {
    Day first;
    std::int64_t dayCount = 0;
};

// Median and 95th percentile (the rounded rank of the nights' own statistics) over the nights
// of one nightly figure.
struct Spread {
    double median = 0.0;
    double percentile95 = 0.0;
};

// Events per hour of use over the whole period, each kind and together.
struct EventIndices {
    double apnoeaHypopnoea = 0.0; // AHI
    double respiratoryDisturbance = 0.0;
    double obstructive = 0.0;
    double central = 0.0;
    double hypopnoea = 0.0;
    double rera = 0.0;
    double unclassified = 0.0;
};

struct PeriodStatistics {
    Period period;
    std::int64_t dayCount = 0;
    std::int64_t daysWithUse = 0;
    std::int64_t compliantDays = 0;
    double totalHours = 0.0;
    // Nothing without any day of use.
    std::optional<double> averageHoursOnDaysUsed;
    double averageHoursOnAllDays = 0.0; // days without use count as zero hours
    double compliantShare = 0.0;        // of all days of the period, 0 to 1
    // Events over hours of use; nothing without any hour of use.
    std::optional<EventIndices> indices;
    // Over the nights that have the figure: the night's mean and 95th percentile, each as a
    // median and a 95th percentile over the nights. Nothing when no night has it.
    std::optional<Spread> pressureAverage;
    std::optional<Spread> pressure95th;
    std::optional<Spread> leakAverage;
    std::optional<Spread> leak95th;
    // The longest run of compliant days (the first when several are as long); nothing without
    // a compliant day.
    std::optional<DayRun> longestCompliantRun;
    // The first window of 30 consecutive days, within the period, holding at least 21
    // compliant days; nothing when the period has none (also when it is shorter than 30 days).
    std::optional<DayRun> adherenceWindow;
    // The window of 30 days with the most compliant days (the first when several tie), to say
    // how close a period without an adherence window came; nothing for a shorter period.
    std::optional<DayRun> bestWindow;
    std::int64_t bestWindowCompliantDays = 0;
};

PeriodStatistics summarize(std::span<const DayOfUse> days, Period period);
inline PeriodStatistics summarize(std::span<const NightSummary> nights, Period period) {
    return summarize(daysOfUse(nights, period), period);
}

// The newest night with a day, or nothing.
const NightSummary* newestNight(std::span<const NightSummary> nights);

// The period from the oldest to the newest night; nothing without a night.
std::optional<Period> wholeHistory(std::span<const NightSummary> nights);

} // namespace velunora::usage
