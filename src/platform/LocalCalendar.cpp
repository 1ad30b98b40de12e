#include "platform/LocalCalendar.h"

#include "platform/BoundedFile.h"
#include "records/Records.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace velunora::calendar {
namespace {

// Beyond this the conversion of a Date to time_t would overflow; localtime_r gives up far
// earlier anyway (a year past INT_MAX).
constexpr double timeLimit = 9.0e18;

constexpr std::time_t secondsPerDay = 86'400;

bool fitsInt(std::int64_t value) noexcept {
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

std::optional<std::time_t> toTime(Date instant) noexcept {
    const double seconds = std::floor(instant.secondsSince1970);
    if (!(seconds > -timeLimit && seconds < timeLimit)) {
        return std::nullopt;
    }
    return static_cast<std::time_t>(seconds);
}

std::optional<std::tm> localTime(std::time_t time) noexcept {
    std::tm fields{};
    if (!::localtime_r(&time, &fields)) {
        return std::nullopt;
    }
    return fields;
}

// mktime with its failure told apart from the valid instant one second before 1970: on failure
// it leaves the fields alone, on success it always sets the weekday.
std::optional<std::time_t> makeTime(std::tm& fields) noexcept {
    fields.tm_wday = -1;
    const std::time_t time = std::mktime(&fields);
    if (time == static_cast<std::time_t>(-1) && fields.tm_wday == -1) {
        return std::nullopt;
    }
    return time;
}

// Whether an earlier instant with the opposite daylight-saving flag may show the same wall
// clock. Two readings of one wall-clock time are apart by the difference of their UTC offsets,
// less than 50 hours (offsets stay within ±25 hours), and in the time-zone database daylight
// saving never starts and ends again within 50 hours (the shortest spell is four days). So when
// the flag 50 hours back is the chosen one, so is every flag in between, and there is no other
// reading to ask mktime for. Asking it regardless is dear wherever no daylight saving is near,
// as in UTC: mktime probes years of instants for the flag before it gives up.
bool mayHaveEarlierReading(std::time_t time, const std::tm& chosen) noexcept {
    constexpr std::time_t readingsApart = 50 * 3600;
    const auto earlier = localTime(time - readingsApart);
    return !earlier || (earlier->tm_isdst > 0) != (chosen.tm_isdst > 0);
}

bool sameWallClock(const std::tm& a, const std::tm& b) noexcept {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday &&
           a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

bool dayIsBefore(const std::tm& a, const std::tm& b) noexcept {
    return a.tm_year != b.tm_year ? a.tm_year < b.tm_year : a.tm_yday < b.tm_yday;
}

bool onDayOf(std::time_t time, const std::tm& day) noexcept {
    const auto fields = localTime(time);
    return fields && !dayIsBefore(*fields, day) && !dayIsBefore(day, *fields);
}

bool beforeDayOf(std::time_t time, const std::tm& day) noexcept {
    const auto fields = localTime(time);
    return fields && dayIsBefore(*fields, day);
}

// Local midnight of the day, found from the wall clock alone when the UTC offset is the same from
// 32 hours before it to 32 hours after: midnight then has one reading, which is what mktime would
// give. Offsets stay within ±16 hours, so two readings of one wall-clock time are less than 32
// hours apart, and no zone changes its offset twice within 64 hours (in the time-zone database the
// shortest spell is four days): equal offsets at both ends mean no change in between.
std::optional<std::time_t> midnightAwayFromChanges(std::time_t time, const std::tm& day) noexcept {
    constexpr std::time_t readingsApart = 32 * 3600;
    const std::time_t midnight =
        time - (day.tm_hour * std::time_t{3600} + day.tm_min * std::time_t{60} + day.tm_sec);
    const auto atMidnight = localTime(midnight);
    if (!atMidnight || atMidnight->tm_hour != 0 || atMidnight->tm_min != 0 ||
        atMidnight->tm_sec != 0 || dayIsBefore(*atMidnight, day) || dayIsBefore(day, *atMidnight) ||
        !beforeDayOf(midnight - 1, day)) {
        return std::nullopt;
    }
    const auto before = localTime(midnight - readingsApart);
    const auto after = localTime(midnight + readingsApart);
    if (!before || !after || before->tm_gmtoff != atMidnight->tm_gmtoff ||
        after->tm_gmtoff != atMidnight->tm_gmtoff) {
        return std::nullopt;
    }
    return midnight;
}

// Days from 1970-01-01 to the proleptic Gregorian date (month 1 to 12), by the eras of 400 years.
constexpr std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The instant of the wall-clock time without mktime, which reads the time zone again at every call
// (a stat of /etc/localtime) and probes several instants. When the UTC offset is the same from 32
// hours before the instant to 32 hours after, the wall-clock time has one reading, which is what
// mktime gives; otherwise nothing, and mktime answers. `components` fit an int each.
std::optional<std::time_t> composeAwayFromChanges(const LocalDateTime& components) noexcept {
    // Months carried into years first, as mktime does, then the rest as plain seconds.
    const std::int64_t monthsFromJanuary = components.month - 1;
    const std::int64_t carriedYears =
        monthsFromJanuary >= 0 ? monthsFromJanuary / 12 : -((11 - monthsFromJanuary) / 12);
    const std::int64_t year = components.year + carriedYears;
    const std::int64_t month = monthsFromJanuary - carriedYears * 12 + 1;
    const std::int64_t wallClock =
        (daysFromCivil(year, month, 1) + components.day - 1) * secondsPerDay +
        components.hour * std::int64_t{3600} + components.minute * std::int64_t{60} +
        components.second;
    constexpr std::time_t readingsApart = 32 * 3600;
    const auto nearby = localTime(wallClock);
    if (!nearby) {
        return std::nullopt;
    }
    const std::time_t candidate = wallClock - nearby->tm_gmtoff;
    const auto at = localTime(candidate);
    const auto before = localTime(candidate - readingsApart);
    const auto after = localTime(candidate + readingsApart);
    if (!at || !before || !after || at->tm_gmtoff != nearby->tm_gmtoff ||
        before->tm_gmtoff != at->tm_gmtoff || after->tm_gmtoff != at->tm_gmtoff) {
        return std::nullopt;
    }
    return candidate;
}

// The file glibc reads the zone's rules from: TZ (a leading ':' dropped) names a file, absolute or
// under TZDIR or the system's zone folder; without TZ, /etc/localtime.
std::string zoneFileOf(const char* setting) {
    if (setting == nullptr) {
        return "/etc/localtime";
    }
    std::string name = setting[0] == ':' ? setting + 1 : setting;
    if (name.empty() || name.front() == '/') {
        return name;
    }
    const char* folder = std::getenv("TZDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo") +
           "/" + name;
}

} // namespace

void refreshTimeZone() {
    ::tzset();
}

std::string timeZoneFingerprint() {
    const char* setting = std::getenv("TZ");
    std::string fingerprint = setting != nullptr ? std::string("TZ=") + setting : "TZ unset";
    // A TZ that names no readable file is a rule of its own, which its text says in full.
    // Far beyond any zone file.
    constexpr std::size_t largestZoneFile = 1 << 20;
    if (const auto rules = readSystemFile(zoneFileOf(setting), largestZoneFile)) {
        fingerprint +=
            " rules " + std::to_string(fnv1a64(*rules)) + "/" + std::to_string(rules->size());
    }
    return fingerprint;
}

std::optional<Date> compose(const LocalDateTime& components) {
    if (!fitsInt(components.year - 1900) || !fitsInt(components.month - 1) ||
        !fitsInt(components.day) || !fitsInt(components.hour) || !fitsInt(components.minute) ||
        !fitsInt(components.second)) {
        return std::nullopt;
    }
    if (const auto time = composeAwayFromChanges(components)) {
        return Date{static_cast<double>(*time)};
    }
    // Near a clock change, mktime finds the reading (and reads the time zone again itself).
    std::tm requested{};
    requested.tm_year = static_cast<int>(components.year - 1900);
    requested.tm_mon = static_cast<int>(components.month - 1);
    requested.tm_mday = static_cast<int>(components.day);
    requested.tm_hour = static_cast<int>(components.hour);
    requested.tm_min = static_cast<int>(components.minute);
    requested.tm_sec = static_cast<int>(components.second);
    requested.tm_isdst = -1;

    std::tm chosen = requested;
    auto time = makeTime(chosen);
    if (!time) {
        return std::nullopt;
    }
    // When the clocks go back, the same wall-clock time happens twice and mktime may pick either:
    // ask for the other reading explicitly and keep the earlier instant.
    if (chosen.tm_isdst >= 0 && mayHaveEarlierReading(*time, chosen)) {
        std::tm other = requested;
        other.tm_isdst = chosen.tm_isdst > 0 ? 0 : 1;
        const auto otherTime = makeTime(other);
        if (otherTime && *otherTime < *time && sameWallClock(other, chosen) &&
            (other.tm_isdst > 0) != (chosen.tm_isdst > 0)) {
            time = otherTime;
        }
    }
    return Date{static_cast<double>(*time)};
}

std::optional<LocalDateTime> decompose(Date instant) {
    const auto time = toTime(instant);
    if (!time) {
        return std::nullopt;
    }
    const auto fields = localTime(*time);
    if (!fields) {
        return std::nullopt;
    }
    return LocalDateTime{fields->tm_year + std::int64_t{1900},
                         fields->tm_mon + std::int64_t{1},
                         fields->tm_mday,
                         fields->tm_hour,
                         fields->tm_min,
                         fields->tm_sec};
}

std::optional<Date> startOfLocalDay(Date instant) {
    const auto time = toTime(instant);
    if (!time) {
        return std::nullopt;
    }
    const auto day = localTime(*time);
    if (!day) {
        return std::nullopt;
    }

    // The usual case, without mktime (which reads the time zone again, a stat of
    // /etc/localtime when TZ is unset, and converts several times).
    if (const auto midnight = midnightAwayFromChanges(*time, *day)) {
        return Date{static_cast<double>(*midnight)};
    }

    // Near a clock change: local midnight exists once and mktime finds it.
    std::tm midnight = *day;
    midnight.tm_hour = 0;
    midnight.tm_min = 0;
    midnight.tm_sec = 0;
    midnight.tm_isdst = -1;
    if (const auto candidate = makeTime(midnight); candidate && *candidate <= *time &&
                                                   onDayOf(*candidate, *day) &&
                                                   beforeDayOf(*candidate - 1, *day)) {
        return Date{static_cast<double>(*candidate)};
    }

    // Midnight skipped or repeated by a clock change: search for the first second of the day.
    // No day is longer than 48 hours, so three days back is always on an earlier day.
    std::time_t before = *time - 3 * secondsPerDay;
    std::time_t onDay = *time;
    if (!beforeDayOf(before, *day)) {
        return std::nullopt;
    }
    while (onDay - before > 1) {
        const std::time_t middle = before + (onDay - before) / 2;
        if (beforeDayOf(middle, *day)) {
            before = middle;
        } else {
            onDay = middle;
        }
    }
    return Date{static_cast<double>(onDay)};
}

} // namespace velunora::calendar
