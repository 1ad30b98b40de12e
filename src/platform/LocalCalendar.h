#pragma once

#include "records/Date.h"

#include <cstdint>
#include <optional>
#include <string>

// Every question about the local calendar goes through here: the user's time zone and the
// Gregorian calendar of the C library. The zone is the one read by the latest refreshTimeZone()
// (or by the first question): reading it costs a stat of /etc/localtime, which an import of
// thousands of dates must not pay for each.
namespace velunora::calendar {

// Reads the user's time zone again (TZ, else /etc/localtime), for the questions that follow.
void refreshTimeZone();

// What tells one set of time-zone rules from another without asking about instants: the TZ
// setting and a digest of the zone file it names (or of /etc/localtime). Two equal fingerprints
// give every instant the same local time.
std::string timeZoneFingerprint();

// A local wall-clock time. Components are not range-checked: 32 January or minute 75 are
// carried into the next unit, as the C library's calendar does.
struct LocalDateTime {
    std::int64_t year = 1970;
    std::int64_t month = 1; // 1 = January
    std::int64_t day = 1;
    std::int64_t hour = 0;
    std::int64_t minute = 0;
    std::int64_t second = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The instant the components name in the current time zone. A time repeated when the clocks go
// back is the earlier of the two instants; a time skipped when they go forward is moved on by the
// gap. Nothing when a component does not fit the C library's int or the instant is beyond what it
// can represent.
std::optional<Date> compose(const LocalDateTime& components);

// The local wall-clock time of the instant (fraction of a second dropped); nothing for a
// non-finite instant or one the C library cannot represent.
std::optional<LocalDateTime> decompose(Date instant);

// The first instant of the local calendar day that holds the instant. That is local midnight
// except on days whose midnight the clocks skip, where it is the first instant after the gap.
std::optional<Date> startOfLocalDay(Date instant);

} // namespace velunora::calendar
