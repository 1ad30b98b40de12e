#include "sync/publication/SnapshotMerge.h"

#include <gtest/gtest.h>

namespace velunora {
namespace {

constexpr double day = 86400.0;

NightSummary night(double date, double ahi, bool withSeries) {
    NightSummary summary;
    summary.date = Date{date};
    summary.ahi = ahi;
    if (withSeries) {
        summary.channels = {
            ChannelSeries{1, ChannelCode::flowRate, {ChannelPoint{Date{date}, ahi}}}};
    }
    return summary;
}

OscarSnapshot snapshotOf(std::vector<NightSummary> nights, std::vector<PAPMachine> machines,
                         double generatedAt) {
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{generatedAt};
    snapshot.nights = std::move(nights);
    snapshot.machines = std::move(machines);
    return snapshot;
}

TEST(SnapshotMerge, WithoutPreviousTheImportIsPublishedAsItIs) {
    const auto imported = snapshotOf({night(2 * day, 1, false)}, {}, 9);
    const auto merged = mergeSnapshots(imported, std::nullopt);
    ASSERT_EQ(merged.nights.size(), 1u);
    EXPECT_EQ(merged.nights[0], imported.nights[0]);
}

TEST(SnapshotMerge, CardNightsReplaceAndInheritSeriesOlderNightsStay) {
    const auto previous = snapshotOf(
        {night(1 * day, 10, false), night(2 * day, 20, false), night(3 * day, 30, true)}, {}, 5);
    const auto imported = snapshotOf({night(3 * day, 33, false), night(4 * day, 44, true)}, {}, 9);
    const auto merged = mergeSnapshots(imported, previous);
    ASSERT_EQ(merged.nights.size(), 4u);
    EXPECT_EQ(merged.nights[0].ahi, 10);
    EXPECT_EQ(merged.nights[1].ahi, 20);
    EXPECT_EQ(merged.nights[2].ahi, 33) << "the card's night wins";
    EXPECT_EQ(merged.nights[2].channels, previous.nights[2].channels)
        << "but takes over the published series when it has none";
    EXPECT_EQ(merged.nights[3].ahi, 44);
    EXPECT_EQ(merged.generatedAt, Date{9});

    const auto withSeries = snapshotOf({night(3 * day, 33, true)}, {}, 9);
    const auto replaced = mergeSnapshots(withSeries, previous);
    EXPECT_EQ(replaced.nights[2].channels[0].points[0].value, 33)
        << "a night with its own series replaces the published one entirely";
}

TEST(SnapshotMerge, ImportedNightsInAnyOrderComeOutSorted) {
    const auto previous = snapshotOf({night(5 * day, 5, false)}, {}, 1);
    const auto imported = snapshotOf({night(9 * day, 9, false), night(2 * day, 2, false)}, {}, 2);
    const auto merged = mergeSnapshots(imported, previous);
    ASSERT_EQ(merged.nights.size(), 3u);
    EXPECT_EQ(merged.nights[0].ahi, 2);
    EXPECT_EQ(merged.nights[1].ahi, 5);
    EXPECT_EQ(merged.nights[2].ahi, 9);
}

TEST(SnapshotMerge, MachinesAreKeyedBySerialOrDisplayName) {
    const PAPMachine oldX = makePAPMachine("ResMed", "AirSense 10", "X", Date{1});
    const PAPMachine newX = makePAPMachine("ResMed", "AirSense 10", "X", Date{2});
    const PAPMachine other = makePAPMachine("ResMed", "AirSense 11", "Y", Date{1});
    auto merged = mergeSnapshots(snapshotOf({}, {newX}, 2), snapshotOf({}, {oldX, other}, 1));
    ASSERT_EQ(merged.machines.size(), 2u);
    for (const PAPMachine& machine : merged.machines) {
        if (machine.serialNumber == "X") {
            EXPECT_EQ(machine.lastImported, Date{2});
        }
    }
    const PAPMachine anonymousOld = makePAPMachine("ResMed", "AirSense 10", "", Date{1});
    const PAPMachine anonymousNew = makePAPMachine("ResMed", "AirSense 10", "", Date{2});
    merged = mergeSnapshots(snapshotOf({}, {anonymousNew}, 2), snapshotOf({}, {anonymousOld}, 1));
    ASSERT_EQ(merged.machines.size(), 1u);
    EXPECT_EQ(merged.machines[0].lastImported, Date{2});
}

TEST(SnapshotMerge, DuplicatesInAForeignPreviousDocumentDoNotFail) {
    const auto previous = snapshotOf({night(1 * day, 1, false), night(1 * day, 2, false)}, {}, 1);
    const auto merged = mergeSnapshots(snapshotOf({}, {}, 2), previous);
    ASSERT_EQ(merged.nights.size(), 1u);
    EXPECT_EQ(merged.nights[0].ahi, 2) << "the later entry wins";
}

NightSummary nightWithSession(double date, double ahi, std::int64_t sessionStart, double duration) {
    NightSummary summary = night(date, ahi, false);
    summary.sessions = {PAPSession{sessionStart, Date{double(sessionStart)},
                                   Date{sessionStart + duration}, duration}};
    return summary;
}

TEST(SnapshotMerge, APartlyReadNightNeverReplacesAPublishedOne) {
    const auto previous = snapshotOf({night(1 * day, 10, true), night(2 * day, 20, false)}, {}, 5);
    auto imported = snapshotOf({night(2 * day, 0, false), night(3 * day, 0, false)}, {}, 9);
    imported.partlyReadNights = {Date{2 * day}, Date{3 * day}};
    const auto merged = mergeSnapshots(imported, previous);
    ASSERT_EQ(merged.nights.size(), 3u);
    EXPECT_EQ(merged.nights[1].ahi, 20) << "the published night stays";
    EXPECT_EQ(merged.nights[2].ahi, 0) << "better than nothing where nothing was published";
}

TEST(SnapshotMerge, ANightHoldingTheSameSessionsIsTheSameNightUnderAnyClock) {
    // The first night read again with a clock six hours later (another time zone): its session
    // starts six hours later with the same length, and its date moved.
    const auto previous = snapshotOf({nightWithSession(1 * day, 10, 100'000, 25'321),
                                      nightWithSession(2 * day, 20, 190'000, 27'000)},
                                     {}, 5);
    const auto imported = snapshotOf({nightWithSession(1 * day + 6 * 3600, 11, 121'600, 25'321),
                                      nightWithSession(2 * day, 22, 190'000, 26'000)},
                                     {}, 9);
    const auto merged = mergeSnapshots(imported, previous);
    ASSERT_EQ(merged.nights.size(), 2u);
    EXPECT_EQ(merged.nights[0].ahi, 11);
    EXPECT_EQ(merged.nights[1].ahi, 22);

    // A day apart, or the same start with another length, is another night.
    const auto nextDay = snapshotOf({nightWithSession(5 * day, 55, 100'000 + 86'400, 25'321),
                                     nightWithSession(6 * day, 66, 100'000 + 900, 25'322)},
                                    {}, 9);
    EXPECT_EQ(mergeSnapshots(nextDay, previous).nights.size(), 4u);
}

// A night of `sessions` sessions, each of its own length (the merge takes sessions of the same
// length a whole number of quarter hours apart for one night under another clock).
NightSummary nightOfSessions(int index, int sessions, bool withSeries) {
    NightSummary summary = night(index * day, index, withSeries);
    for (int session = 0; session < sessions; ++session) {
        const auto start = static_cast<std::int64_t>(index * day) + 3600 * session;
        const double length = 3000 + 10 * index + session;
        summary.sessions.push_back(
            PAPSession{start, Date{double(start)}, Date{start + length}, length});
    }
    return summary;
}

std::vector<bool> whichHaveSeries(const OscarSnapshot& snapshot) {
    std::vector<bool> have;
    for (const NightSummary& each : snapshot.nights) {
        have.push_back(!each.channels.empty());
    }
    return have;
}

TEST(SnapshotMerge, OnlyTheNightsOfTheHistorysSevenLatestSessionsKeepTheirSeries) {
    // Published over many mornings, each night with the series it had when it was the latest.
    const auto previous = snapshotOf({nightOfSessions(1, 1, true), nightOfSessions(2, 1, true),
                                      nightOfSessions(3, 3, true), nightOfSessions(4, 2, true)},
                                     {}, 5);
    // This morning's card: night 5 with series, night 4 read again without any.
    const auto imported =
        snapshotOf({nightOfSessions(4, 2, false), nightOfSessions(5, 2, true)}, {}, 9);
    const auto merged = mergeSnapshots(imported, previous);
    // From the newest: 2 + 2 + 3 sessions make seven; nights 1 and 2 lose their series.
    EXPECT_EQ(whichHaveSeries(merged), (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(merged.nights[3].channels, previous.nights[3].channels)
        << "a night in the window that the card left without series inherits the published";
    EXPECT_EQ(merged.nights[0].sessions, previous.nights[0].sessions) << "all else is kept";

    // One night of seven sessions or more is the window alone, even without a previous.
    const auto busy = mergeSnapshots(
        snapshotOf({nightOfSessions(1, 1, true), nightOfSessions(2, 8, true)}, {}, 9),
        std::nullopt);
    EXPECT_EQ(whichHaveSeries(busy), (std::vector<bool>{false, true}));
}

TEST(SnapshotMerge, TheComparisonSeesWhatAReaderSeesAndCountsNewNights) {
    OscarSnapshot published =
        snapshotOf({nightOfSessions(1, 1, true), nightOfSessions(2, 2, false)},
                   {makePAPMachine("ResMed", "AirSense 10", "X", Date{1})}, 5);
    EXPECT_EQ(comparePublished(published, std::nullopt).newNights, 2);
    EXPECT_TRUE(comparePublished(published, std::nullopt).changesPublished);

    // The card read again: instants with fractions that the document drops, new time stamps.
    OscarSnapshot again = published;
    again.generatedAt = Date{99};
    again.machines[0].lastImported = Date{99};
    again.nights[1].sessions[0].start.secondsSince1970 += 0.75;
    again.nights[0].channels[0].points[0].time.secondsSince1970 += 0.5;
    const PublishedChanges same = comparePublished(again, published);
    EXPECT_FALSE(same.changesPublished);
    EXPECT_EQ(same.newNights, 0);

    OscarSnapshot changed = again;
    changed.nights[1].events.push_back(RespiratoryEvent{});
    EXPECT_TRUE(comparePublished(changed, published).changesPublished);
    changed = again;
    changed.machines[0].model = "AirSense 11";
    EXPECT_TRUE(comparePublished(changed, published).changesPublished);
    changed = again;
    changed.nights[0].channels.clear();
    EXPECT_TRUE(comparePublished(changed, published).changesPublished) << "series dropped";

    changed = again;
    changed.nights.push_back(nightOfSessions(3, 1, false));
    const PublishedChanges oneMore = comparePublished(changed, published);
    EXPECT_TRUE(oneMore.changesPublished);
    EXPECT_EQ(oneMore.newNights, 1);
}

} // namespace
} // namespace velunora
