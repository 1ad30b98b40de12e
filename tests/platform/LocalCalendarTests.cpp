#include "platform/LocalCalendar.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace velunora::calendar {
namespace {

using testing::ScopedTimeZone;

double seconds(const std::optional<Date>& date) {
    EXPECT_TRUE(date.has_value());
    return date ? date->secondsSince1970 : std::nan("");
}

TEST(Compose, NamesTheWallClockTimeOfTheCurrentZone) {
    {
        const ScopedTimeZone zone("UTC");
        EXPECT_EQ(seconds(compose({1970, 1, 1, 0, 0, 0})), 0.0);
        // mktime's -1 is an instant here, not a failure.
        EXPECT_EQ(seconds(compose({1969, 12, 31, 23, 59, 59})), -1.0);
        EXPECT_EQ(seconds(compose({2023, 8, 22, 0, 11, 19})), 1692663079.0);
    }
    {
        const ScopedTimeZone zone("Europe/Paris"); // read again after the change
        EXPECT_EQ(seconds(compose({2023, 8, 22, 0, 11, 19})), 1692663079.0 - 7200.0);
        EXPECT_EQ(seconds(compose({2023, 1, 15, 12, 0, 0})), 1673780400.0);
    }
}

TEST(Compose, CarriesComponentsOutOfRangeAndFailsBeyondTheCalendar) {
    const ScopedTimeZone zone("UTC");
    EXPECT_EQ(compose({2023, 1, 32, 0, 0, 0}), compose({2023, 2, 1, 0, 0, 0}));
    EXPECT_EQ(compose({2023, 13, 0, 0, 0, 0}), compose({2023, 12, 31, 0, 0, 0}));
    EXPECT_EQ(compose({2023, 1, 1, 25, 75, -1}), compose({2023, 1, 2, 2, 14, 59}));
    EXPECT_FALSE(compose({std::int64_t{1} << 40, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(compose({2023, 1, 1, 0, 0, std::numeric_limits<std::int64_t>::min()}));
    // Every component fits an int, but the year overflows once the months are carried.
    EXPECT_FALSE(compose({std::numeric_limits<int>::max(), 2147483647, 1, 0, 0, 0}));
}

TEST(Compose, ResolvesClockChanges) {
    const ScopedTimeZone zone("Europe/Paris");
    // 02:30 happens twice on 29 October 2023: the first one, still in summer time.
    EXPECT_EQ(seconds(compose({2023, 10, 29, 2, 30, 0})), 1698539400.0);
    // 02:30 never happens on 26 March 2023: moved on by the hour skipped, to 03:30 summer time.
    EXPECT_EQ(seconds(compose({2023, 3, 26, 2, 30, 0})), 1679794200.0);
}

TEST(Compose, TakesTheEarlierOfTwoReadingsWhateverTheirFlags) {
    {
        // tzdata marks Irish winter time as the daylight-saving one: the earlier reading of a
        // repeated time is standard time here.
        const ScopedTimeZone zone("Europe/Dublin");
        EXPECT_EQ(seconds(compose({2023, 10, 29, 1, 30, 0})), 1698539400.0);
    }
    {
        // Clocks go back by half an hour.
        const ScopedTimeZone zone("Australia/Lord_Howe");
        EXPECT_EQ(seconds(compose({2023, 4, 2, 1, 45, 0})), 1680360300.0);
    }
    {
        // The hour after midnight repeated.
        const ScopedTimeZone zone("America/Havana");
        EXPECT_EQ(seconds(compose({2018, 11, 4, 0, 30, 0})), 1541305800.0);
    }
    {
        // No clock change for decades (daylight saving ended in 1951).
        const ScopedTimeZone zone("Asia/Tokyo");
        EXPECT_EQ(seconds(compose({2023, 8, 22, 0, 11, 19})), 1692663079.0 - 32400.0);
    }
}

// Every wall-clock time shown by some instant names the earliest instant that shows it, in zones
// with and without clock changes, over two decades sampled every 6 h 35 min 57 s (a step that
// walks through the hours of the day).
TEST(Compose, NamesTheEarliestInstantOfEveryWallClockTimeShown) {
    for (const char* name : {"Europe/Paris", "America/Sao_Paulo", "Australia/Lord_Howe",
                             "America/Havana", "Asia/Kathmandu", "UTC"}) {
        const ScopedTimeZone zone(name);
        int failures = 0;
        for (double instant = 1262304000.0; instant < 1893456000.0 && failures < 3;
             instant += 23757.0) {
            const auto wallClock = decompose(Date{instant});
            ASSERT_TRUE(wallClock);
            const auto composed = compose(*wallClock);
            const bool isEarliestReading =
                composed && composed->secondsSince1970 <= instant &&
                decompose(*composed) == wallClock &&
                (composed->secondsSince1970 == instant ||
                 decompose(Date{composed->secondsSince1970 + 1.0}) != wallClock);
            if (!isEarliestReading) {
                ++failures;
                ADD_FAILURE() << name << ": " << instant;
            }
        }
    }
}

TEST(TimeZoneFingerprint, ChangesWithTheRules) {
    std::string paris;
    {
        const ScopedTimeZone zone("Europe/Paris");
        paris = timeZoneFingerprint();
        EXPECT_EQ(timeZoneFingerprint(), paris);
    }
    const ScopedTimeZone zone("America/Sao_Paulo");
    EXPECT_NE(timeZoneFingerprint(), paris);
}

TEST(Decompose, GivesTheLocalWallClock) {
    const ScopedTimeZone zone("Europe/Paris");
    EXPECT_EQ(decompose(Date{1692663079.0}), (LocalDateTime{2023, 8, 22, 2, 11, 19}));
    EXPECT_EQ(decompose(Date{-0.5}), (LocalDateTime{1970, 1, 1, 0, 59, 59}));
    EXPECT_FALSE(decompose(Date{std::numeric_limits<double>::quiet_NaN()}));
}

TEST(StartOfLocalDay, IsLocalMidnightOnOrdinaryDays) {
    const ScopedTimeZone zone("Europe/Paris");
    const double midnight = 1692655200.0; // 2023-08-22 00:00 CEST
    EXPECT_EQ(seconds(startOfLocalDay(Date{midnight})), midnight);
    EXPECT_EQ(seconds(startOfLocalDay(Date{midnight + 86399.9})), midnight);
    EXPECT_EQ(seconds(startOfLocalDay(Date{midnight - 0.5})), midnight - 86400.0);
    // The day the clocks go forward is 23 hours long; its start is still midnight.
    EXPECT_EQ(seconds(startOfLocalDay(Date{1679832000.0})), 1679785200.0);
}

TEST(StartOfLocalDay, SkippedMidnightStartsTheDayAfterTheGap) {
    const ScopedTimeZone zone("America/Sao_Paulo");
    // 4 November 2018: clocks went from 23:59:59 straight to 01:00.
    EXPECT_EQ(seconds(startOfLocalDay(Date{1541343600.0})), 1541300400.0);
    EXPECT_EQ(seconds(startOfLocalDay(Date{1541300400.0})), 1541300400.0);
    EXPECT_EQ(seconds(startOfLocalDay(Date{1541300399.0})), 1541300400.0 - 86400.0);
    // 17 February 2018 lasted 25 hours: 23:00 to 23:59 happened twice, both on the 17th.
    EXPECT_EQ(seconds(startOfLocalDay(Date{1518921000.0})), 1518832800.0);
    EXPECT_EQ(seconds(startOfLocalDay(Date{1518922800.0})), 1518922800.0);
}

TEST(StartOfLocalDay, RepeatedMidnightStartsAtTheFirstOne) {
    const ScopedTimeZone zone("America/Havana");
    // 4 November 2018: 00:00 to 00:59 happened twice; the day starts at the first 00:00 (CDT).
    EXPECT_EQ(seconds(startOfLocalDay(Date{1541304000.0 + 3600.0 + 1800.0})), 1541304000.0);
    EXPECT_EQ(seconds(startOfLocalDay(Date{1541304000.0 + 86000.0})), 1541304000.0);
}

TEST(StartOfLocalDay, NothingForInstantsBeyondTheCalendar) {
    const ScopedTimeZone zone("UTC");
    EXPECT_FALSE(startOfLocalDay(Date{std::numeric_limits<double>::infinity()}));
    EXPECT_FALSE(startOfLocalDay(Date{std::numeric_limits<double>::quiet_NaN()}));
    EXPECT_FALSE(startOfLocalDay(Date{1e19}));
}

} // namespace
} // namespace velunora::calendar
