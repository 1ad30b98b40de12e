#include "cardimport/PAPCardImportError.h"
#include "nights/SessionImport.h"
#include "platform/LocalCalendar.h"
#include "support/TestSupport.h"
#include "tools/EDFWriter.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace velunora {
namespace {

using calendar::LocalDateTime;
using cardgen::EDFSignalSpec;

// Writes `text` over the file's bytes from `offset`.
void overwrite(const std::filesystem::path& file, std::size_t offset, const std::string& text) {
    std::fstream stream(file, std::ios::binary | std::ios::in | std::ios::out);
    stream.seekp(static_cast<std::streamoff>(offset));
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    ASSERT_TRUE(stream.good()) << file;
}

std::string twoDigits(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value % 100));
    return text;
}

// A card folder written file by file, with local start times in the test's time zone.
class TestCard {
public:
    TestCard() {
        folder_.makeFolder("DATALOG");
        folder_.write("STR.edf", "");
    }

    const std::filesystem::path& root() const { return folder_.path(); }
    std::filesystem::path path(const std::string& name) const {
        return root() / "DATALOG" / "night" / name;
    }

    DetectedPAPCard card() const { return {root(), "ResMed", "AirSense 10 AutoSet", "SN1"}; }

    // A file of `records` one-minute records (or `recordSeconds`) starting at `start`.
    void add(const std::string& name, LocalDateTime start, std::int64_t records,
             std::vector<EDFSignalSpec> signals, const std::string& recordSeconds = "60",
             const std::string& reserved = "EDF") {
        cardgen::EDFFileSpec spec;
        spec.startDate =
            twoDigits(start.day) + "." + twoDigits(start.month) + "." + twoDigits(start.year);
        spec.startTime =
            twoDigits(start.hour) + "." + twoDigits(start.minute) + "." + twoDigits(start.second);
        spec.recordCount = records;
        spec.recordDuration = recordSeconds;
        spec.reserved = reserved;
        spec.signals = std::move(signals);
        folder_.write(std::filesystem::path("DATALOG") / "night" / name, cardgen::writeEDF(spec));
    }

    // A summary-rate file with one therapy-pressure sample (cmH2O) per record.
    void addPLD(const std::string& name, LocalDateTime start, std::int64_t records,
                double pressure = 10.0) {
        EDFSignalSpec press{"Press.2s", "cmH2O", 0, 30, 0, 1500, 1, {}, {}};
        press.samples.assign(static_cast<std::size_t>(records),
                             static_cast<std::int16_t>(pressure / 0.02));
        add(name + "_PLD.edf", start, records, {press});
    }

    // A full-rate file with one flow sample (L/s) per record.
    void addBRP(const std::string& name, LocalDateTime start, std::int64_t records) {
        EDFSignalSpec flow{"Flow.40ms", "L/s", -2, 3, -1000, 1500, 1, {}, {}};
        flow.samples.assign(static_cast<std::size_t>(records), 250); // 0.5 L/s
        add(name + "_BRP.edf", start, records, {flow});
    }

    void addSAD(const std::string& name, LocalDateTime start, std::int64_t records) {
        EDFSignalSpec pulse{"Pulse.1s", "bpm", 18, 300, 18, 300, 1, {}, {}};
        pulse.samples.assign(static_cast<std::size_t>(records), -1);
        add(name + "_SAD.edf", start, records, {pulse});
    }

    // An EDF+D event file: one zero-length record per annotation "+offset\x15duration\x14text".
    void addEVE(const std::string& name, LocalDateTime start,
                const std::vector<std::string>& annotations) {
        EDFSignalSpec signal{"EDF Annotations", "", 0, 1, -32768, 32767, 40, {}, {}};
        for (const std::string& annotation : annotations) {
            signal.annotationBlocks.push_back(std::string("+0\x14\x14\0", 5) + annotation +
                                              std::string("\x14\0", 2));
        }
        add(name + "_EVE.edf", start, static_cast<std::int64_t>(annotations.size()), {signal}, "0",
            "EDF+D");
    }

    OscarSnapshot import() const { return importResMedCard(card(), Date{1700000000}); }

private:
    testing::TemporaryFolder folder_;
};

class SessionImport : public ::testing::Test {
protected:
    testing::ScopedTimeZone zone{"Europe/Paris"};

    static Date local(LocalDateTime t) { return *calendar::compose(t); }
    static Date localDay(int year, int month, int day) {
        return local({year, month, day, 0, 0, 0});
    }
};

TEST_F(SessionImport, FilesThirtySecondsApartJoinThirtyOneDoNot) {
    TestCard joined;
    joined.addPLD("a", {2024, 3, 1, 22, 0, 0}, 10);
    joined.addPLD("b", {2024, 3, 1, 22, 10, 30}, 10);
    auto snapshot = joined.import();
    ASSERT_EQ(snapshot.nights.size(), 1u);
    ASSERT_EQ(snapshot.nights[0].sessions.size(), 1u);
    EXPECT_EQ(snapshot.nights[0].sessions[0].durationSeconds, 1230);

    TestCard apart;
    apart.addPLD("a", {2024, 3, 1, 22, 0, 0}, 10);
    apart.addPLD("b", {2024, 3, 1, 22, 10, 31}, 10);
    snapshot = apart.import();
    ASSERT_EQ(snapshot.nights[0].sessions.size(), 2u);
    EXPECT_EQ(snapshot.nights[0].sessions[1].start, local({2024, 3, 1, 22, 10, 31}));
}

TEST_F(SessionImport, AFileJoinsTheFirstSessionItReachesAndMergesAreNotRevisited) {
    TestCard card;
    card.addPLD("a", {2024, 3, 1, 22, 0, 0}, 10);
    card.addPLD("b", {2024, 3, 1, 23, 0, 0}, 10);
    card.addPLD("c", {2024, 3, 1, 22, 10, 20}, 10); // joins a, not the later b
    card.addPLD("d", {2024, 3, 1, 22, 0, 0}, 80);   // reaches a and b: joins a only
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 1u);
    const auto& sessions = snapshot.nights[0].sessions;
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[0].start, local({2024, 3, 1, 22, 0, 0}));
    EXPECT_EQ(sessions[0].durationSeconds, 80 * 60);
    EXPECT_EQ(sessions[1].start, local({2024, 3, 1, 23, 0, 0}));
    EXPECT_EQ(sessions[1].durationSeconds, 10 * 60);
}

TEST_F(SessionImport, OverlappingKindsFormOneSessionAndSummaryFilesExtendIt) {
    TestCard card;
    card.addBRP("1", {2024, 3, 1, 22, 0, 0}, 60);
    card.addPLD("2", {2024, 3, 1, 22, 0, 1}, 60);
    card.addSAD("3", {2024, 3, 1, 23, 0, 21}, 1); // 20 s after the PLD ends
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 1u);
    const auto& sessions = snapshot.nights[0].sessions;
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].start, local({2024, 3, 1, 22, 0, 0}));
    EXPECT_EQ(sessions[0].end, local({2024, 3, 1, 23, 1, 21}));
    EXPECT_EQ(sessions[0].id,
              static_cast<std::int64_t>(local({2024, 3, 1, 22, 0, 0}).secondsSince1970));
    EXPECT_EQ(snapshot.nights[0].pressureAverage, 10.0);
}

TEST_F(SessionImport, CardsWithoutUsableSignalFilesHaveNoSessions) {
    TestCard eventsOnly;
    eventsOnly.addEVE("e", {2024, 3, 1, 22, 0, 0},
                      {"+10\x15"
                       "10\x14Hypopnea"});
    try {
        eventsOnly.import();
        FAIL() << "expected noSessions";
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.kind(), PAPCardImportError::Kind::noSessions);
        EXPECT_EQ(error.errorDescription(),
                  "Aucune session d\u00e9taill\u00e9e n\u2019a \u00e9t\u00e9 trouv\u00e9e sur "
                  "cette carte SD.");
    }

    TestCard emptyFiles;
    emptyFiles.addPLD("a", {2024, 3, 1, 22, 0, 0}, 0);
    emptyFiles.add("b_BRP.edf", {2024, 3, 1, 22, 0, 0}, 5, {}, "0");
    emptyFiles.add("c_SAD.edf", {2024, 3, 1, 22, 0, 0}, 0, {}); // no signals: invalid header
    EXPECT_THROW(emptyFiles.import(), PAPCardImportError);

    testing::TemporaryFolder noDatalog;
    EXPECT_THROW(importResMedCard({noDatalog.path(), "ResMed", "", ""}, Date{0}),
                 PAPCardImportError);
}

TEST_F(SessionImport, NightsRunFromNoonToNoon) {
    TestCard card;
    card.addPLD("a", {2024, 3, 5, 11, 59, 59}, 1);
    card.addPLD("b", {2024, 3, 7, 12, 0, 0}, 1);
    card.addPLD("c", {2024, 3, 1, 22, 40, 0}, 10);
    card.addPLD("d", {2024, 3, 2, 3, 10, 0}, 10);
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 3u);
    EXPECT_EQ(snapshot.nights[0].date, localDay(2024, 3, 1));
    EXPECT_EQ(snapshot.nights[0].sessions.size(), 2u) << "22:40 and 03:10 share one night";
    EXPECT_EQ(snapshot.nights[1].date, localDay(2024, 3, 4)) << "11:59:59 is the night before";
    EXPECT_EQ(snapshot.nights[2].date, localDay(2024, 3, 7)) << "12:00:00 starts a night";
}

TEST_F(SessionImport, TheTwelveHourShiftIsAbsoluteTimeAcrossDaylightSaving) {
    // Clocks go forward on 31 March 2024 at 02:00 in Paris: 12:30 that day is only eleven and a
    // half wall-clock hours after midnight, so twelve hours earlier is still 30 March.
    TestCard card;
    card.addPLD("a", {2024, 3, 31, 12, 30, 0}, 1);
    card.addPLD("b", {2024, 3, 31, 13, 30, 0}, 1);
    card.addPLD("c", {2024, 3, 30, 23, 30, 0}, 60); // crosses the change
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 2u);
    EXPECT_EQ(snapshot.nights[0].date, localDay(2024, 3, 30));
    EXPECT_EQ(snapshot.nights[0].sessions.size(), 2u);
    EXPECT_EQ(snapshot.nights[0].totalHours, 61.0 / 60.0);
    EXPECT_EQ(snapshot.nights[1].date, localDay(2024, 3, 31));
    EXPECT_EQ(snapshot.nights[1].date.secondsSince1970 - snapshot.nights[0].date.secondsSince1970,
              86400.0)
        << "30 March is a 24-hour day";
}

TEST_F(SessionImport, TheNightsOfTheSevenLatestSessionsGetDetail) {
    TestCard card;
    for (int day = 1; day <= 8; ++day) {
        const std::string name = "n" + std::to_string(day);
        card.addBRP(name, {2024, 3, day, 23, 0, 0}, 30);
        card.addPLD(name, {2024, 3, day, 23, 0, 1}, 30);
    }
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 8u);
    EXPECT_TRUE(snapshot.nights[0].channels.empty());
    EXPECT_TRUE(snapshot.nights[0].pressureAverage.has_value()) << "PLD files feed every night";
    for (std::size_t i = 1; i < 8; ++i) {
        ASSERT_EQ(snapshot.nights[i].channels.size(), 2u) << i;
        EXPECT_EQ(snapshot.nights[i].channels[0].code, ChannelCode::flowRate);
        EXPECT_EQ(snapshot.nights[i].channels[0].points[0].value, 30.0);
        EXPECT_EQ(snapshot.nights[i].channels[1].code, ChannelCode::pressure);
    }
}

TEST_F(SessionImport, SevenSessionsOnTheNewestNightMakeItTheOnlyDetailNight) {
    TestCard card;
    card.addBRP("old", {2024, 3, 1, 23, 0, 0}, 30);
    for (int s = 0; s < 7; ++s) {
        card.addBRP("new" + std::to_string(s), {2024, 3, 2, 22, 0 + s * 5, 0}, 1);
    }
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 2u);
    EXPECT_TRUE(snapshot.nights[0].channels.empty());
    EXPECT_EQ(snapshot.nights[1].sessions.size(), 7u);
    EXPECT_EQ(snapshot.nights[1].channels.size(), 7u);
}

TEST_F(SessionImport, EventsAreFiledIntoTheirSessionAndCounted) {
    TestCard card;
    card.addPLD("s1", {2024, 3, 1, 22, 0, 0}, 60);
    card.addPLD("s2", {2024, 3, 1, 23, 30, 0}, 60);
    // Offsets from 21:59:50: inside s1, at the end of s1, in the gap, inside s2, unknown text.
    card.addEVE("e", {2024, 3, 1, 21, 59, 50},
                {"+70\x15"
                 "12\x14Obstructive Apnea",
                 "+3610\x15"
                 "5\x14Hypopnea",
                 "+3611\x15"
                 "5\x14Hypopnea",
                 "+5410\x14"
                 "Central Apnea\x14"
                 "Arousal",
                 "+5500\x15"
                 "3\x14"
                 "Periodic Breathing"});
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 1u);
    const NightSummary& night = snapshot.nights[0];
    EXPECT_EQ(night.obstructiveCount, 1);
    EXPECT_EQ(night.hypopneaCount, 1);
    EXPECT_EQ(night.centralCount, 1);
    EXPECT_EQ(night.reraCount, 1);
    ASSERT_EQ(night.events.size(), 4u);
    EXPECT_EQ(night.events[0].durationSeconds, 12);
    EXPECT_EQ(night.events[0].sessionID, night.sessions[0].id);
    EXPECT_EQ(night.events[2].sessionID, night.sessions[1].id);
    EXPECT_EQ(night.ahi, 3.0 / 2.0);
    EXPECT_EQ(night.rdi, 4.0 / 2.0);
}

TEST_F(SessionImport, SnapshotHoldsOneMachineAndSortedNights) {
    TestCard card;
    card.addPLD("z_first_by_name", {2024, 3, 9, 22, 0, 0}, 5);
    card.addPLD("a_last_by_name", {2024, 3, 2, 22, 0, 0}, 5);
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 2u);
    EXPECT_LT(snapshot.nights[0].date, snapshot.nights[1].date);
    ASSERT_EQ(snapshot.machines.size(), 1u);
    EXPECT_EQ(snapshot.machines[0].id, fnv1a64("SN1"));
    EXPECT_EQ(snapshot.machines[0].series, "AirSense 10");
    EXPECT_EQ(snapshot.machines[0].lastImported, Date{1700000000});
    EXPECT_EQ(snapshot.generatedAt, Date{1700000000});
    EXPECT_EQ(snapshot.profileName, "Velunora");
}

TEST_F(SessionImport, DamagedRecordingsAreSkippedAndTheirNightsListedAsPartlyRead) {
    for (const std::size_t threads : {0u, 3u}) {
        SCOPED_TRACE(std::to_string(threads) + " reading threads");
        TestCard card;
        // 1 March: a summary file cut short, so never seeded; its name places it.
        card.addPLD("20240301_220000", {2024, 3, 1, 22, 0, 0}, 60);
        card.addPLD("20240301_230000", {2024, 3, 1, 23, 0, 0}, 60);
        std::filesystem::resize_file(
            card.path("20240301_230000_PLD.edf"),
            std::filesystem::file_size(card.path("20240301_230000_PLD.edf")) - 1);
        // 2 March: an event file with a damaged header.
        card.addPLD("20240302_220000", {2024, 3, 2, 22, 0, 0}, 60);
        card.addEVE("20240302_215950", {2024, 3, 2, 21, 59, 50},
                    {"+70\x15"
                     "12\x14Obstructive Apnea"});
        overwrite(card.path("20240302_215950_EVE.edf"), 168, "xx.xx.xx");
        // 3 March: nothing lost. An empty file is no failure; damaged files whose names give no
        // start, or the night of a day not on the card, cannot be placed.
        card.addPLD("20240303_220000", {2024, 3, 3, 22, 0, 0}, 60);
        card.addPLD("20240303_230000", {2024, 3, 3, 23, 0, 0}, 0);
        card.add("damaged_PLD.edf", {2024, 3, 3, 23, 30, 0}, 1000, {}); // declares no signals
        card.addEVE("20240310_220000", {2024, 3, 3, 22, 0, 0}, {});
        overwrite(card.path("20240310_220000_EVE.edf"), 236, "-5      ");
        // 4 March: a summary file cut short between the reading of its header and its full read;
        // its name gives no start, its session places it.
        card.addPLD("late", {2024, 3, 4, 22, 0, 0}, 60);

        bool cut = false;
        const OscarSnapshot snapshot = importResMedCard(
            card.card(), Date{1700000000},
            [&](double) {
                if (!cut) {
                    std::filesystem::resize_file(card.path("late_PLD.edf"), 600);
                    cut = true;
                }
            },
            threads);
        ASSERT_EQ(snapshot.nights.size(), 4u);
        EXPECT_EQ(snapshot.nights[0].totalHours, 1.0);
        EXPECT_EQ(snapshot.nights[2].pressureAverage, 10.0);
        EXPECT_FALSE(snapshot.nights[3].pressureAverage.has_value());
        EXPECT_EQ(
            snapshot.partlyReadNights,
            (std::vector<Date>{localDay(2024, 3, 1), localDay(2024, 3, 2), localDay(2024, 3, 4)}));
    }
}

TEST_F(SessionImport, AHeaderDeclaringMoreRecordsThanItsFileHoldsMakesNoSession) {
    // Read alone, the header of this oximetry file would make a night of 1.6 million hours.
    TestCard card;
    card.addPLD("20240301_220000", {2024, 3, 1, 22, 0, 0}, 60);
    card.addSAD("20240301_220001", {2024, 3, 1, 22, 0, 1}, 60);
    overwrite(card.path("20240301_220001_SAD.edf"), 236, "99999999");
    const auto snapshot = card.import();
    ASSERT_EQ(snapshot.nights.size(), 1u);
    EXPECT_EQ(snapshot.nights[0].totalHours, 1.0);
    EXPECT_EQ(snapshot.partlyReadNights, std::vector<Date>{localDay(2024, 3, 1)});
}

} // namespace
} // namespace velunora
