#include "nights/UsageStatistics.h"

#include "nights/NightAccumulator.h"
#include "platform/LocalCalendar.h"

#include <algorithm>
#include <cmath>

namespace velunora::usage {

namespace {

constexpr double halfADay = 43'200.0;

std::optional<Spread> spreadOf(std::vector<double> values) {
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
    return Spread{median, *percentile(values, 0.95)};
}

// The nightly figure of every night of the days that has it.
template <typename Figure>
std::vector<double> nightlyValues(std::span<const DayOfUse> days, Figure figure) {
    std::vector<double> values;
    for (const DayOfUse& day : days) {
        for (const NightSummary* night : day.nights) {
            if (const std::optional<double> value = figure(*night);
                value && std::isfinite(*value)) {
                values.push_back(*value);
            }
        }
    }
    return values;
}

// Compliant days within `window` days starting at each day, the first window with the most and
// the first with at least `required`.
struct WindowScan {
    std::optional<DayRun> best;
    std::int64_t bestCount = 0;
    std::optional<DayRun> firstMeeting;
};

WindowScan scanWindows(std::span<const DayOfUse> days, std::int64_t window, std::int64_t required) {
    WindowScan scan;
    const auto length = static_cast<std::int64_t>(days.size());
    if (length < window) {
        return scan;
    }
    std::int64_t count = 0;
    for (std::int64_t index = 0; index < length; ++index) {
        count += days[static_cast<std::size_t>(index)].isCompliant() ? 1 : 0;
        if (index >= window) {
            count -= days[static_cast<std::size_t>(index - window)].isCompliant() ? 1 : 0;
        }
        if (index + 1 < window) {
            continue;
        }
        const DayRun run{days[static_cast<std::size_t>(index + 1 - window)].day, window};
        if (!scan.best || count > scan.bestCount) {
            scan.best = run;
            scan.bestCount = count;
        }
        if (!scan.firstMeeting && count >= required) {
            scan.firstMeeting = run;
        }
    }
    return scan;
}

std::optional<DayRun> longestCompliantRun(std::span<const DayOfUse> days) {
    std::optional<DayRun> longest;
    DayRun current;
    for (const DayOfUse& day : days) {
        if (!day.isCompliant()) {
            current.dayCount = 0;
            continue;
        }
        if (current.dayCount == 0) {
            current.first = day.day;
        }
        ++current.dayCount;
        if (!longest || current.dayCount > longest->dayCount) {
            longest = current;
        }
    }
    return longest;
}

} // namespace

std::optional<Day> dayOfNight(Date nightDate) {
    if (!std::isfinite(nightDate.secondsSince1970)) {
        return std::nullopt;
    }
    const std::optional<calendar::LocalDateTime> local =
        calendar::decompose(Date{nightDate.secondsSince1970 + halfADay});
    if (!local || local->year < -30000 || local->year > 30000) {
        return std::nullopt;
    }
    return Day{std::chrono::year{static_cast<int>(local->year)} /
               std::chrono::month{static_cast<unsigned>(local->month)} /
               std::chrono::day{static_cast<unsigned>(local->day)}};
}

Period periodEndingOn(Day last, std::int64_t dayCount) noexcept {
    return Period{last - std::chrono::days{std::max<std::int64_t>(dayCount, 1) - 1}, last};
}

std::vector<DayOfUse> daysOfUse(std::span<const NightSummary> nights, Period period) {
    if (period.dayCount() > maximumPeriodDays) {
        period = periodEndingOn(period.last, maximumPeriodDays);
    }
    std::vector<DayOfUse> days;
    const std::int64_t count = period.dayCount();
    days.resize(static_cast<std::size_t>(count));
    for (std::int64_t index = 0; index < count; ++index) {
        days[static_cast<std::size_t>(index)].day = period.first + std::chrono::days{index};
    }
    for (const NightSummary& night : nights) {
        const std::optional<Day> day = dayOfNight(night.date);
        if (!day || !period.contains(*day)) {
            continue;
        }
        DayOfUse& entry = days[static_cast<std::size_t>((*day - period.first).count())];
        if (std::isfinite(night.maskOnHours) && night.maskOnHours > 0.0) {
            entry.hours += night.maskOnHours;
        }
        entry.nights.push_back(&night);
    }
    return days;
}

PeriodStatistics summarize(std::span<const DayOfUse> days, Period period) {
    PeriodStatistics statistics;
    statistics.period = days.empty() ? period : Period{days.front().day, days.back().day};
    statistics.dayCount = static_cast<std::int64_t>(days.size());
    std::int64_t obstructive = 0, central = 0, hypopnoea = 0, rera = 0, unclassified = 0;
    for (const DayOfUse& day : days) {
        statistics.totalHours += day.hours;
        statistics.daysWithUse += day.hours > 0.0 ? 1 : 0;
        statistics.compliantDays += day.isCompliant() ? 1 : 0;
        for (const NightSummary* night : day.nights) {
            obstructive += night->obstructiveCount;
            central += night->centralCount;
            hypopnoea += night->hypopneaCount;
            rera += night->reraCount;
            unclassified += night->unclassifiedCount;
        }
    }
    if (statistics.dayCount > 0) {
        const auto dayCount = static_cast<double>(statistics.dayCount);
        statistics.averageHoursOnAllDays = statistics.totalHours / dayCount;
        statistics.compliantShare = static_cast<double>(statistics.compliantDays) / dayCount;
    }
    if (statistics.daysWithUse > 0) {
        statistics.averageHoursOnDaysUsed =
            statistics.totalHours / static_cast<double>(statistics.daysWithUse);
    }
    if (statistics.totalHours > 0.0) {
        const double hours = statistics.totalHours;
        const auto perHour = [hours](std::int64_t count) {
            return static_cast<double>(count) / hours;
        };
        statistics.indices = EventIndices{
            perHour(obstructive + central + hypopnoea + unclassified),
            perHour(obstructive + central + hypopnoea + unclassified + rera),
            perHour(obstructive),
            perHour(central),
            perHour(hypopnoea),
            perHour(rera),
            perHour(unclassified),
        };
    }
    statistics.pressureAverage =
        spreadOf(nightlyValues(days, [](const NightSummary& n) { return n.pressureAverage; }));
    statistics.pressure95th =
        spreadOf(nightlyValues(days, [](const NightSummary& n) { return n.pressure95th; }));
    statistics.leakAverage =
        spreadOf(nightlyValues(days, [](const NightSummary& n) { return n.leakAverage; }));
    statistics.leak95th =
        spreadOf(nightlyValues(days, [](const NightSummary& n) { return n.leak95th; }));
    statistics.longestCompliantRun = longestCompliantRun(days);
    const WindowScan windows = scanWindows(days, adherenceWindowDays, adherenceRequiredDays);
    statistics.adherenceWindow = windows.firstMeeting;
    statistics.bestWindow = windows.best;
    statistics.bestWindowCompliantDays = windows.bestCount;
    return statistics;
}

const NightSummary* newestNight(std::span<const NightSummary> nights) {
    // The published nights are in ascending order; the newest with a calendar day wins.
    for (auto night = nights.rbegin(); night != nights.rend(); ++night) {
        if (dayOfNight(night->date)) {
            return &*night;
        }
    }
    return nullptr;
}

std::optional<Period> wholeHistory(std::span<const NightSummary> nights) {
    std::optional<Period> period;
    for (const NightSummary& night : nights) {
        if (const std::optional<Day> day = dayOfNight(night.date)) {
            period = period ? Period{std::min(period->first, *day), std::max(period->last, *day)}
                            : Period{*day, *day};
        }
    }
    return period;
}

} // namespace velunora::usage
