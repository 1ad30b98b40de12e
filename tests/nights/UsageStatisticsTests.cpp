#include "nights/NightsTable.h"
#include "nights/UsageStatistics.h"
#include "platform/LocalCalendar.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace velunora::usage {
namespace {

using testing::ScopedTimeZone;

constexpr Day march(unsigned day) {
    return Day{std::chrono::year{2026} / 3 / day};
}

// A night filed as the import files it: under local midnight of its day, in the zone in force.
NightSummary nightOn(Day day, std::vector<double> sessionHours) {
    const std::chrono::year_month_day date{day};
    NightSummary night;
    night.date =
        *calendar::compose({static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                            static_cast<unsigned>(date.day()), 0, 0, 0});
    double start = night.date.secondsSince1970 + 22 * 3600.0;
    for (const double hours : sessionHours) {
        const double seconds = hours * 3600.0;
        night.sessions.push_back(
            {static_cast<std::int64_t>(start), Date{start}, Date{start + seconds}, seconds});
        night.maskOnHours += hours;
        start += seconds + 1800.0;
    }
    night.totalHours = night.maskOnHours;
    night.isCompliant = night.maskOnHours >= 4.0;
    return night;
}

TEST(UsageStatistics, CountsEveryDayOfThePeriodAndNightsSplitInSessions) {
    const ScopedTimeZone zone("Europe/Paris");
    std::vector<NightSummary> nights{nightOn(march(1), {5.0}), nightOn(march(2), {3.0, 2.0}),
                                     nightOn(march(4), {4.0}), nightOn(march(5), {0.0}),
                                     nightOn(march(20), {8.0})};
    nights[0].obstructiveCount = 5;
    nights[0].hypopneaCount = 3;
    nights[1].centralCount = 4;
    nights[1].reraCount = 7;
    nights[2].unclassifiedCount = 2;
    nights[0].pressureAverage = 8.0;
    nights[1].pressureAverage = 10.0;
    nights[2].pressureAverage = 9.0;
    nights[3].pressureAverage = 11.0;
    const Period period{march(1), march(10)};

    const std::vector<DayOfUse> days = daysOfUse(nights, period);
    ASSERT_EQ(days.size(), 10u);
    EXPECT_EQ(days[1].hours, 5.0) << "two sessions of one night add up";
    EXPECT_TRUE(days[1].isCompliant());
    EXPECT_EQ(days[2].hours, 0.0) << "a day without a night counts as zero";
    EXPECT_TRUE(days[2].nights.empty());

    const PeriodStatistics statistics = summarize(days, period);
    EXPECT_EQ(statistics.dayCount, 10);
    EXPECT_EQ(statistics.daysWithUse, 3) << "a night of zero hours is no day of use";
    EXPECT_EQ(statistics.compliantDays, 3) << "exactly four hours is compliant";
    EXPECT_DOUBLE_EQ(statistics.totalHours, 14.0) << "the night of 20 March is outside";
    EXPECT_DOUBLE_EQ(*statistics.averageHoursOnDaysUsed, 14.0 / 3);
    EXPECT_DOUBLE_EQ(statistics.averageHoursOnAllDays, 1.4);
    EXPECT_DOUBLE_EQ(statistics.compliantShare, 0.3);
    ASSERT_TRUE(statistics.indices);
    EXPECT_DOUBLE_EQ(statistics.indices->apnoeaHypopnoea, 14.0 / 14.0);
    EXPECT_DOUBLE_EQ(statistics.indices->respiratoryDisturbance, 21.0 / 14.0);
    EXPECT_DOUBLE_EQ(statistics.indices->central, 4.0 / 14.0);
    ASSERT_TRUE(statistics.pressureAverage);
    EXPECT_DOUBLE_EQ(statistics.pressureAverage->median, 9.5);
    EXPECT_DOUBLE_EQ(statistics.pressureAverage->percentile95, 11.0);
    EXPECT_FALSE(statistics.leak95th) << "no night has a leak figure";
    ASSERT_TRUE(statistics.longestCompliantRun);
    EXPECT_EQ(statistics.longestCompliantRun->first, march(1));
    EXPECT_EQ(statistics.longestCompliantRun->dayCount, 2);
    EXPECT_FALSE(statistics.bestWindow) << "ten days hold no window of thirty";
}

TEST(UsageStatistics, APeriodWithoutAnyNightHasNoFigures) {
    const ScopedTimeZone zone("Europe/Paris");
    const std::vector<NightSummary> nights{nightOn(march(1), {6.0})};
    const PeriodStatistics statistics = summarize(nights, Period{march(10), march(20)});
    EXPECT_EQ(statistics.dayCount, 11);
    EXPECT_EQ(statistics.daysWithUse, 0);
    EXPECT_EQ(statistics.averageHoursOnAllDays, 0.0);
    EXPECT_FALSE(statistics.averageHoursOnDaysUsed);
    EXPECT_FALSE(statistics.indices) << "no index is made up from zero hours";
    EXPECT_FALSE(statistics.pressureAverage);
    EXPECT_FALSE(statistics.longestCompliantRun);
    EXPECT_FALSE(wholeHistory(std::vector<NightSummary>{}));
    EXPECT_EQ(newestNight(std::vector<NightSummary>{}), nullptr);
}

TEST(UsageStatistics, NightsKeepTheirDayAcrossChangesOfClocksAndTimeZone) {
    std::vector<NightSummary> nights;
    {
        // The clocks go forward in the night of 28 to 29 March.
        const ScopedTimeZone paris("Europe/Paris");
        for (unsigned day = 27; day <= 30; ++day) {
            nights.push_back(nightOn(march(day), {7.0}));
        }
    }
    {
        // Then the patient flies to New York and the next nights are filed there.
        const ScopedTimeZone newYork("America/New_York");
        nights.push_back(nightOn(march(31), {6.0}));
        nights.push_back(nightOn(Day{std::chrono::year{2026} / 4 / 1}, {5.0}));
    }
    for (const char* zone : {"Europe/Paris", "America/New_York", "America/Los_Angeles", "UTC"}) {
        const ScopedTimeZone current(zone);
        const std::vector<DayOfUse> days =
            daysOfUse(nights, Period{march(27), march(27) + std::chrono::days{5}});
        ASSERT_EQ(days.size(), 6u) << zone;
        for (const DayOfUse& day : days) {
            EXPECT_EQ(day.nights.size(), 1u) << zone << ": no day lost or doubled";
        }
        EXPECT_EQ(days[4].hours, 6.0) << zone;
        EXPECT_EQ(wholeHistory(nights)->dayCount(), 6) << zone;
        EXPECT_EQ(dayOfNight(newestNight(nights)->date), march(27) + std::chrono::days{5}) << zone;
    }
}

TEST(UsageStatistics, FindsTheFirstThirtyDaysWithTwentyOneCompliantDays) {
    const ScopedTimeZone zone("UTC");
    // 15 days without use, then `compliant` days of 6 h, then nights of 2 h to the end.
    const auto history = [](int compliant) {
        std::vector<NightSummary> nights;
        for (int day = 15; day < 45; ++day) {
            nights.push_back(
                nightOn(march(1) + std::chrono::days{day}, {day < 15 + compliant ? 6.0 : 2.0}));
        }
        return nights;
    };
    const Period period{march(1), march(1) + std::chrono::days{44}};

    const std::vector<NightSummary> enough = history(21);
    const PeriodStatistics met = summarize(enough, period);
    ASSERT_TRUE(met.adherenceWindow);
    EXPECT_EQ(met.adherenceWindow->first, march(1) + std::chrono::days{6})
        << "days 6 to 35 hold days 15 to 35";
    EXPECT_EQ(met.adherenceWindow->dayCount, 30);
    EXPECT_EQ(met.bestWindowCompliantDays, 21);
    EXPECT_EQ(met.longestCompliantRun->dayCount, 21);

    const std::vector<NightSummary> oneShort = history(20);
    const PeriodStatistics missed = summarize(oneShort, period);
    EXPECT_FALSE(missed.adherenceWindow);
    ASSERT_TRUE(missed.bestWindow);
    EXPECT_EQ(missed.bestWindowCompliantDays, 20);
    EXPECT_EQ(missed.bestWindow->first, march(1) + std::chrono::days{5})
        << "the first of the windows that tie";
}

TEST(NightsTable, ReadsBackAsOneRowANightWithTheDotAsDecimalPoint) {
    const ScopedTimeZone zone("Europe/Paris");
    const testing::ScopedLocale french("fr_FR.UTF-8");
    std::vector<NightSummary> nights{nightOn(march(1), {3.5, 1.25}), nightOn(march(3), {2.0})};
    nights[0].ahi = 2.345;
    nights[0].pressure95th = 11.2;
    nights[0].obstructiveCount = 9;
    const std::vector<DayOfUse> days = daysOfUse(nights, Period{march(1), march(3)});

    std::istringstream table(nightsTable(days));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(table, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');) {
            cells.push_back(cell);
        }
        if (line.ends_with(',')) {
            cells.emplace_back();
        }
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), 3u) << "a header and one row a night, none for the empty day";
    ASSERT_EQ(rows[0].size(), 17u);
    EXPECT_EQ(rows[0][0], "date");
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), rows[0].size());
    }
    EXPECT_EQ(rows[1][0], "2026-03-01");
    EXPECT_EQ(rows[1][1], "4.75");
    EXPECT_EQ(rows[1][2], "2.35");
    EXPECT_EQ(rows[1][4], "9");
    EXPECT_EQ(rows[1][10], "11.20");
    EXPECT_EQ(rows[1][9], "") << "an absent figure is an empty cell, never 0";
    EXPECT_EQ(rows[1][15], "yes");
    EXPECT_EQ(rows[1][16], "2");
    EXPECT_EQ(rows[2][0], "2026-03-03");
    EXPECT_EQ(rows[2][15], "no");

    EXPECT_EQ(parseIsoDay("2026-03-01"), march(1));
    EXPECT_EQ(isoDay(march(1)), "2026-03-01");
    for (const char* wrong :
         {"2026-02-30", "2026-3-01", "2026-03-01x", "", "20260301", "2026-13-01"}) {
        EXPECT_FALSE(parseIsoDay(wrong)) << wrong;
    }
}

} // namespace
} // namespace velunora::usage
