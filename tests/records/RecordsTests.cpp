#include "records/Records.h"

#include <gtest/gtest.h>
#include <unordered_set>

namespace velunora {
namespace {

TEST(Codes, RoundTripExactlyAndInDeclaredOrder) {
    const char* channelCodes[] = {"FlowRate", "Pressure",   "MaskPressure", "Leak",
                                  "RespRate", "MinuteVent", "TidalVolume",  "FLG"};
    ASSERT_EQ(allChannelCodes.size(), std::size(channelCodes));
    for (std::size_t i = 0; i < allChannelCodes.size(); ++i) {
        EXPECT_EQ(textCode(allChannelCodes[i]), channelCodes[i]);
        EXPECT_EQ(channelCodeFromText(channelCodes[i]), allChannelCodes[i]);
    }
    const char* eventCodes[] = {"Obstructive", "ClearAirway", "Hypopnea", "RERA",
                                "Apnea",       "LeakSpan",    "Other"};
    ASSERT_EQ(allEventKinds.size(), std::size(eventCodes));
    for (std::size_t i = 0; i < allEventKinds.size(); ++i) {
        EXPECT_EQ(textCode(allEventKinds[i]), eventCodes[i]);
        EXPECT_EQ(eventKindFromText(eventCodes[i]), allEventKinds[i]);
    }
    EXPECT_EQ(textCode(EventKind::central), "ClearAirway");
    EXPECT_EQ(textCode(EventKind::unclassified), "Apnea");
}

TEST(Codes, OnlyTheExactTextMatches) {
    for (const char* text : {"clearairway", "ClearAirway ", "central", "", "flg", "Flow"}) {
        EXPECT_FALSE(eventKindFromText(text).has_value()) << text;
        EXPECT_FALSE(channelCodeFromText(text).has_value()) << text;
    }
}

TEST(Identifiers, ChannelSeriesIdJoinsSessionAndCode) {
    EXPECT_EQ((ChannelSeries{42, ChannelCode::flowRate, {}}.id()), "42-FlowRate");
    EXPECT_EQ((ChannelSeries{-3, ChannelCode::flowLimitation, {}}.id()), "-3-FLG");
    EXPECT_EQ((ChannelSeries{INT64_MIN, ChannelCode::leak, {}}.id()), "-9223372036854775808-Leak");
    NightSummary night;
    night.date = Date{1692676800};
    EXPECT_EQ(night.id(), Date{1692676800});
}

TEST(Identifiers, DisplayNameLeavesOutEmptyParts) {
    EXPECT_EQ((PAPMachine{0, "ResMed", "AirSense 10", "", "", {}}.displayName()),
              "ResMed AirSense 10");
    EXPECT_EQ((PAPMachine{0, "ResMed", "", "", "", {}}.displayName()), "ResMed");
    EXPECT_EQ((PAPMachine{0, "", "AirSense 10", "", "", {}}.displayName()), "AirSense 10");
    EXPECT_EQ((PAPMachine{}.displayName()), "");
}

TEST(DeviceIdentity, FNV1aOverUTF8Bytes) {
    EXPECT_EQ(fnv1a64(""), static_cast<std::int64_t>(0xcbf29ce484222325ULL));
    EXPECT_EQ(fnv1a64("a"), static_cast<std::int64_t>(0xaf63dc4c8601ec8cULL));
    EXPECT_EQ(fnv1a64("foobar"), static_cast<std::int64_t>(0x85944171f73967e8ULL));
    EXPECT_EQ(fnv1a64("\u00e9"),
              static_cast<std::int64_t>(((0xcbf29ce484222325ULL ^ 0xC3) * 0x100000001b3ULL ^ 0xA9) *
                                        0x100000001b3ULL));
}

TEST(DeviceIdentity, MachineIdComesFromSerialOrElseDisplayName) {
    const PAPMachine withSerial =
        makePAPMachine("ResMed", "AirSense 10 AutoSet", "23171234567", Date{5});
    EXPECT_EQ(withSerial.id, fnv1a64("23171234567"));
    EXPECT_EQ(withSerial.brand, "ResMed");
    EXPECT_EQ(withSerial.model, "AirSense 10 AutoSet");
    EXPECT_EQ(withSerial.series, "AirSense 10");
    EXPECT_EQ(withSerial.lastImported, Date{5});

    const PAPMachine first = makePAPMachine("ResMed", "AirSense 11", "", Date{1});
    const PAPMachine second = makePAPMachine("ResMed", "AirSense 11", "", Date{2});
    EXPECT_EQ(first.id, fnv1a64("ResMed AirSense 11"));
    EXPECT_EQ(first.id, second.id) << "two cards without serial of one model share an id";
    EXPECT_EQ(makePAPMachine("", "", "", Date{}).id, fnv1a64(""));
}

TEST(DeviceIdentity, SeriesTestsInOrderIgnoringCase) {
    EXPECT_EQ(deviceSeries("AirSense 10 AutoSet"), "AirSense 10");
    EXPECT_EQ(deviceSeries("Model 10 and 11"), "AirSense 11");
    EXPECT_EQ(deviceSeries("AirCurve 11 VAuto"), "AirSense 11");
    EXPECT_EQ(deviceSeries("s9 Elite"), "S9");
    EXPECT_EQ(deviceSeries("S9 AutoSet"), "S9");
    EXPECT_EQ(deviceSeries("Machine ResMed"), "ResMed");
    EXPECT_EQ(deviceSeries(""), "ResMed");
}

NightSummary sampleNight() {
    NightSummary night;
    night.date = Date{1692676800};
    night.ahi = 1.5;
    night.pressureAverage = 9.5;
    night.sessions = {PAPSession{1, Date{1}, Date{2}, 1}};
    night.events = {RespiratoryEvent{10, 1, EventKind::hypopnea, Date{1.5}, 10}};
    night.channels = {ChannelSeries{1, ChannelCode::leak, {ChannelPoint{Date{1}, 0.5}}}};
    return night;
}

TEST(Equality, ComparesEveryFieldAndOptionalPresence) {
    const NightSummary night = sampleNight();
    EXPECT_EQ(night, sampleNight());

    NightSummary absent = night;
    absent.pressureAverage.reset();
    NightSummary zero = night;
    zero.pressureAverage = 0.0;
    EXPECT_NE(absent, zero);
    EXPECT_NE(absent, night);

    NightSummary otherStatistic = night;
    otherStatistic.ahi = 2;
    EXPECT_NE(otherStatistic, night) << "same date, different statistics: different values";

    NightSummary longer = night;
    longer.events.push_back(longer.events.front());
    EXPECT_NE(longer, night);

    NightSummary deepChange = night;
    deepChange.channels[0].points[0].value = 0.25;
    EXPECT_NE(deepChange, night);

    NightSummary negativeZero = night;
    negativeZero.rdi = -0.0;
    NightSummary positiveZero = night;
    positiveZero.rdi = 0.0;
    EXPECT_EQ(negativeZero, positiveZero);
}

TEST(Hashing, IsConsistentWithEquality) {
    const NightSummary night = sampleNight();
    EXPECT_EQ(std::hash<NightSummary>{}(night), std::hash<NightSummary>{}(sampleNight()));

    NightSummary negativeZero = night;
    negativeZero.rdi = -0.0;
    EXPECT_EQ(std::hash<NightSummary>{}(negativeZero), std::hash<NightSummary>{}(night));

    // Differences a set must see; a collision here would be a weak hash, not just bad luck.
    NightSummary absent = night;
    absent.pressureAverage.reset();
    NightSummary zero = night;
    zero.pressureAverage = 0.0;
    NightSummary swappedCounts = night;
    swappedCounts.obstructiveCount = 1;
    NightSummary swappedCountsOther = night;
    swappedCountsOther.centralCount = 1;
    std::unordered_set<NightSummary> set{night, absent, zero, swappedCounts, swappedCountsOther};
    EXPECT_EQ(set.size(), 5u);
    EXPECT_NE(std::hash<NightSummary>{}(swappedCounts),
              std::hash<NightSummary>{}(swappedCountsOther));
    EXPECT_NE(std::hash<NightSummary>{}(absent), std::hash<NightSummary>{}(zero));

    std::unordered_set<PAPMachine> machines{makePAPMachine("ResMed", "A", "1", Date{1}),
                                            makePAPMachine("ResMed", "A", "1", Date{1}),
                                            makePAPMachine("ResMed", "A", "1", Date{2})};
    EXPECT_EQ(machines.size(), 2u);
    std::unordered_set<ChannelCode> codes(allChannelCodes.begin(), allChannelCodes.end());
    std::unordered_set<EventKind> kinds(allEventKinds.begin(), allEventKinds.end());
    EXPECT_EQ(codes.size(), allChannelCodes.size());
    EXPECT_EQ(kinds.size(), allEventKinds.size());
}

} // namespace
} // namespace velunora
