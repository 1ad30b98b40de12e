#include "nights/NightAccumulator.h"

#include <gtest/gtest.h>
#include <vector>

namespace velunora {
namespace {

constexpr double hour = 3600.0;

PAPSession sessionOf(double startSeconds, double durationSeconds) {
    return PAPSession{static_cast<std::int64_t>(startSeconds), Date{startSeconds},
                      Date{startSeconds + durationSeconds}, durationSeconds};
}

RespiratoryEvent eventOf(EventKind kind, double startSeconds, std::int64_t id = 0) {
    return RespiratoryEvent{id, 0, kind, Date{startSeconds}, 10};
}

TEST(Percentile, UsesTheRoundedIndexWithoutInterpolation) {
    EXPECT_FALSE(percentile({}, 0.95).has_value());
    auto percentileOfCount = [](std::size_t count) {
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) {
            values.push_back(static_cast<double>(count - i - 1)); // descending: sorting matters
        }
        return *percentile(values, 0.95);
    };
    // The value equals its index in the sorted list.
    EXPECT_EQ(percentileOfCount(1), 0);
    EXPECT_EQ(percentileOfCount(2), 1);
    EXPECT_EQ(percentileOfCount(10), 9);
    EXPECT_EQ(percentileOfCount(11), 10) << "9.5 rounds away from zero";
    EXPECT_EQ(percentileOfCount(20), 18);
    EXPECT_EQ(percentileOfCount(100), 94);
    const std::vector<double> values{3, 1, 2};
    EXPECT_EQ(percentile(values, 0.0), 1);
    EXPECT_EQ(percentile(values, 1.0), 3);
    EXPECT_EQ(percentile(values, 0.5), 2);
}

TEST(NightSummary, HoursIndicesAndCompliance) {
    NightAccumulator night(Date{1000});
    night.appendSession(sessionOf(50 * hour, 2 * hour));
    night.appendSession(sessionOf(53 * hour, 2 * hour));
    for (EventKind kind :
         {EventKind::obstructive, EventKind::central, EventKind::hypopnea, EventKind::unclassified,
          EventKind::rera, EventKind::rera, EventKind::largeLeak, EventKind::other}) {
        night.appendEvent(eventOf(kind, 50 * hour + 60));
    }
    const NightSummary summary = night.makeSummary();
    EXPECT_EQ(summary.date, Date{1000});
    EXPECT_EQ(summary.totalHours, 4.0);
    EXPECT_EQ(summary.maskOnHours, summary.totalHours);
    EXPECT_TRUE(summary.isCompliant) << "compliance is judged on the night's sum";
    EXPECT_EQ(summary.obstructiveCount, 1);
    EXPECT_EQ(summary.centralCount, 1);
    EXPECT_EQ(summary.hypopneaCount, 1);
    EXPECT_EQ(summary.unclassifiedCount, 1);
    EXPECT_EQ(summary.reraCount, 2);
    EXPECT_EQ(summary.ahi, 1.0) << "rera, leak and other events are no apnoea or hypopnoea";
    EXPECT_EQ(summary.rdi, 1.5);
    EXPECT_FALSE(summary.spo2Average || summary.spo2Minimum || summary.pulseAverage);

    NightAccumulator short_(Date{0});
    short_.appendSession(sessionOf(0, 4 * hour - 1));
    EXPECT_FALSE(short_.makeSummary().isCompliant);
}

TEST(NightSummary, ZeroHoursGiveZeroIndicesWhateverTheEvents) {
    NightAccumulator night(Date{0});
    night.appendSession(sessionOf(100, 0));
    night.appendEvent(eventOf(EventKind::obstructive, 100));
    const NightSummary summary = night.makeSummary();
    EXPECT_EQ(summary.totalHours, 0.0);
    EXPECT_EQ(summary.ahi, 0.0);
    EXPECT_EQ(summary.rdi, 0.0);
    EXPECT_EQ(summary.obstructiveCount, 1);
    EXPECT_FALSE(summary.isCompliant);
}

TEST(NightSummary, PressureFallsBackToMaskPressureNeverMixing) {
    const std::vector<double> pressure{4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    const std::vector<double> mask{20, 30};

    NightAccumulator maskOnly(Date{0});
    maskOnly.appendValues(ChannelCode::maskPressure, pressure);
    NightSummary summary = maskOnly.makeSummary();
    EXPECT_EQ(summary.pressureAverage, 8.5);
    EXPECT_EQ(summary.pressureMinimum, 4);
    EXPECT_EQ(summary.pressureMaximum, 13);
    EXPECT_EQ(summary.pressure95th, 13);

    NightAccumulator both(Date{0});
    both.appendValues(ChannelCode::maskPressure, mask);
    both.appendValues(ChannelCode::pressure, std::vector<double>{4, 5});
    both.appendValues(ChannelCode::pressure, std::vector<double>{6, 7, 8, 9, 10, 11, 12, 13});
    summary = both.makeSummary();
    EXPECT_EQ(summary.pressureAverage, 8.5);
    EXPECT_EQ(summary.pressureMaximum, 13) << "mask pressure is ignored when pressure exists";
}

TEST(NightSummary, StatisticsAreAbsentNotZeroWithoutValues) {
    NightAccumulator night(Date{0});
    night.appendSession(sessionOf(0, hour));
    night.appendValues(ChannelCode::flowRate, std::vector<double>{-30, 30});
    const NightSummary summary = night.makeSummary();
    EXPECT_FALSE(summary.pressureAverage || summary.pressureMinimum || summary.pressureMaximum ||
                 summary.pressure95th);
    EXPECT_FALSE(summary.leakAverage || summary.leak95th || summary.leakMaximum);

    NightAccumulator leak(Date{0});
    leak.appendValues(ChannelCode::leak, std::vector<double>{0.25});
    const NightSummary leakSummary = leak.makeSummary();
    EXPECT_EQ(leakSummary.leakAverage, 0.25);
    EXPECT_EQ(leakSummary.leak95th, 0.25);
    EXPECT_EQ(leakSummary.leakMaximum, 0.25);
}

TEST(NightSummary, SortsSessionsAndEventsStablyAndKeepsSeriesOrder) {
    NightAccumulator night(Date{0});
    night.appendSession(sessionOf(200, 10));
    night.appendSession(sessionOf(100, 10));
    night.appendEvent(eventOf(EventKind::hypopnea, 150, 1));
    night.appendEvent(eventOf(EventKind::central, 120, 2));
    night.appendEvent(eventOf(EventKind::obstructive, 150, 3));
    night.appendSeries(ChannelSeries{200, ChannelCode::leak, {}});
    night.appendSeries(ChannelSeries{100, ChannelCode::flowRate, {}});
    const NightSummary summary = night.makeSummary();
    ASSERT_EQ(summary.sessions.size(), 2u);
    EXPECT_EQ(summary.sessions[0].start, Date{100});
    ASSERT_EQ(summary.events.size(), 3u);
    EXPECT_EQ(summary.events[0].id, 2);
    EXPECT_EQ(summary.events[1].id, 1) << "equal starts keep the order of adding";
    EXPECT_EQ(summary.events[2].id, 3);
    EXPECT_EQ(summary.channels[0].code, ChannelCode::leak);
    EXPECT_EQ(night.sessions()[0].start, Date{200}) << "making a summary changes nothing";
}

TEST(NightSummary, CondensingEarlyGivesTheSameSummaryAndKeepsOnlyWhatItNeeds) {
    NightAccumulator night(Date{0});
    night.appendSession(sessionOf(0, 5 * hour));
    night.appendValues(ChannelCode::pressure, std::vector<double>{9, 7, 8});
    night.appendValues(ChannelCode::leak, std::vector<double>{0.5, 0.25});
    night.appendValues(ChannelCode::respiratoryRate, std::vector<double>{15});
    EXPECT_TRUE(night.values(ChannelCode::respiratoryRate).empty())
        << "no summary field reads the respiratory rate";
    const NightSummary before = night.makeSummary();
    night.condenseStatistics();
    EXPECT_TRUE(night.values(ChannelCode::pressure).empty());
    night.appendEvent(eventOf(EventKind::hypopnea, 10));
    NightSummary after = night.makeSummary();
    EXPECT_EQ(after.hypopneaCount, 1);
    after.events.clear();
    after.hypopneaCount = 0;
    after.ahi = before.ahi;
    after.rdi = before.rdi;
    EXPECT_EQ(after, before);
}

TEST(NightSummary, ValueListsHandedToTheNextNightKeepTheirMemoryNotTheirValues) {
    const std::vector<double> pressure{12, 4, 9, 4.5, 11};
    const std::vector<double> leak{3, 0.5, 7};
    NightAccumulator first(Date{0});
    first.appendSession(sessionOf(0, 5 * hour));
    first.appendValues(ChannelCode::pressure, pressure);
    first.appendValues(ChannelCode::leak, leak);
    const NightSummary firstBefore = first.makeSummary();
    NightAccumulator::ValueLists spare;
    first.condenseStatistics(spare);
    EXPECT_EQ(first.makeSummary(), firstBefore);
    EXPECT_TRUE(first.values(ChannelCode::pressure).empty());
    const auto& sparePressure = spare[static_cast<std::size_t>(ChannelCode::pressure)];
    EXPECT_TRUE(sparePressure.empty());
    EXPECT_GE(sparePressure.capacity(), pressure.size());

    NightAccumulator second(Date{86400});
    second.reuseValueLists(spare);
    second.appendSession(sessionOf(86400, 2 * hour));
    second.appendValues(ChannelCode::leak, std::vector<double>{1, 2});
    NightAccumulator fresh(Date{86400});
    fresh.appendSession(sessionOf(86400, 2 * hour));
    fresh.appendValues(ChannelCode::leak, std::vector<double>{1, 2});
    EXPECT_EQ(second.makeSummary(), fresh.makeSummary());
    EXPECT_FALSE(second.makeSummary().pressureAverage.has_value())
        << "nothing of the first night's pressure came along";
}

} // namespace
} // namespace velunora
