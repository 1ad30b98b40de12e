#include "cardimport/EDFReader.h"
#include "nights/EventAnnotations.h"
#include "nights/NightDate.h"
#include "platform/LocalCalendar.h"
#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace velunora {
namespace {

TEST(EventKindForAnnotation, MatchesTheFoldedTextExactly) {
    EXPECT_EQ(eventKindForAnnotation("Obstructive Apnea"), EventKind::obstructive);
    EXPECT_EQ(eventKindForAnnotation("OBSTRUCTIVE APNEA"), EventKind::obstructive);
    EXPECT_EQ(eventKindForAnnotation("Obstructive Apn\u00e9a"), EventKind::obstructive);
    EXPECT_EQ(eventKindForAnnotation("Central Apnea"), EventKind::central);
    EXPECT_EQ(eventKindForAnnotation("Hypopnea"), EventKind::hypopnea);
    EXPECT_EQ(eventKindForAnnotation("Arousal"), EventKind::rera);
    EXPECT_EQ(eventKindForAnnotation("Apnea"), EventKind::unclassified);
    for (const char* text : {"Obstructive Apnea Index", "Apnea 2", "Recording starts",
                             "Periodic Breathing", "Large Leak", "", "apnoea"}) {
        EXPECT_FALSE(eventKindForAnnotation(text).has_value()) << text;
    }
}

class EventFiling : public ::testing::Test {
protected:
    testing::ScopedTimeZone zone{"Europe/Paris"};

    Date local(int day, int hour, int minute, int second = 0) {
        return *calendar::compose({2024, 3, day, hour, minute, second});
    }

    // A night with sessions 22:00-23:00 and 23:30-02:00, filed under 1 March.
    NightAccumulators oneNight() {
        NightAccumulators nights;
        const Date date = *nightDate(local(1, 22, 0));
        NightAccumulator& night = nights.try_emplace(date, date).first->second;
        night.appendSession(PAPSession{1, local(1, 22, 0), local(1, 23, 0), 3600});
        night.appendSession(PAPSession{2, local(1, 23, 30), local(2, 2, 0), 9000});
        return nights;
    }

    static const NightAccumulator& only(const NightAccumulators& nights) {
        return nights.begin()->second;
    }
};

TEST_F(EventFiling, SessionEdgesAreInclusiveAndGapsDrop) {
    NightAccumulators nights = oneNight();
    const EDFDocument document{local(1, 22, 0), 0, {}, {}};
    addAnnotationToNights(document, {3600, 10.0, "Hypopnea"}, nights);           // 23:00:00, at end
    addAnnotationToNights(document, {3601, 10.0, "Hypopnea"}, nights);           // in the gap
    addAnnotationToNights(document, {0, std::nullopt, "Central Apnea"}, nights); // at start
    addAnnotationToNights(document, {5400, -3.0, "Apnea"}, nights);              // second session
    addAnnotationToNights(document, {20, 10.0, "Recording starts"}, nights);
    const auto& events = only(nights).events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].sessionID, 1);
    EXPECT_EQ(events[0].durationSeconds, 10);
    EXPECT_EQ(events[1].type, EventKind::central);
    EXPECT_EQ(events[1].durationSeconds, 0) << "no duration gives 0";
    EXPECT_EQ(events[2].sessionID, 2);
    EXPECT_EQ(events[2].durationSeconds, 0) << "a negative duration gives 0";
}

TEST_F(EventFiling, EventsNeverCrossNoonIntoAnotherNight) {
    NightAccumulators nights = oneNight();
    // 12:05 on 2 March belongs to the night of 2 March, which has no session.
    const EDFDocument document{local(2, 11, 55), 0, {}, {}};
    addAnnotationToNights(document, {600, 10.0, "Obstructive Apnea"}, nights);
    addAnnotationToNights(document, {std::nan(""), 10.0, "Obstructive Apnea"}, nights);
    addAnnotationToNights(document, {1e300, 10.0, "Obstructive Apnea"}, nights);
    EXPECT_TRUE(only(nights).events().empty());
    EXPECT_EQ(nights.size(), 1u) << "events never create nights";
}

TEST_F(EventFiling, IdentifiersCountTheNightsEarlierEvents) {
    NightAccumulators nights = oneNight();
    const EDFDocument document{local(1, 22, 0), 0, {}, {}};
    addAnnotationToNights(document, {100.04, 10.0, "Hypopnea"}, nights);
    addAnnotationToNights(document, {100.06, 10.0, "Hypopnea"}, nights);
    const auto& events = only(nights).events();
    ASSERT_EQ(events.size(), 2u);
    const auto tenths = static_cast<std::int64_t>((local(1, 22, 0).secondsSince1970 + 100) * 10);
    EXPECT_EQ(events[0].id, tenths);
    EXPECT_EQ(events[1].id, tenths + 1);
}

TEST_F(EventFiling, InfiniteDurationsCountAsNone) {
    NightAccumulators nights = oneNight();
    const EDFDocument document{local(1, 22, 0), 0, {}, {}};
    addAnnotationToNights(document, {10, std::numeric_limits<double>::infinity(), "Apnea"}, nights);
    addAnnotationToNights(document, {11, std::nan(""), "Apnea"}, nights);
    ASSERT_EQ(only(nights).events().size(), 2u);
    EXPECT_EQ(only(nights).events()[0].durationSeconds, 0);
    EXPECT_EQ(only(nights).events()[1].durationSeconds, 0);
}

} // namespace
} // namespace velunora
