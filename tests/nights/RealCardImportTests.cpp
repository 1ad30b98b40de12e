// The real AirSense 10 card, imported end to end. Every expectation here is worked out from the
// files themselves (their raw headers and event lists) or from what an independent EDF reader
// found in them, never from this program's own output.
#include "cardimport/PAPCardImporter.h"
#include "nights/SessionImport.h"
#include "platform/LocalCalendar.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <simdjson.h>
#include <string>

namespace velunora {
namespace {

namespace fs = std::filesystem;

// Raw header fields, read without the program's reader: start as local wall-clock seconds and
// the declared length.
struct RawHeader {
    double localStart;
    double duration;
};

std::optional<RawHeader> rawHeader(const fs::path& file) {
    const std::string bytes = testing::readFile(file);
    const auto number = [&](std::size_t offset, std::size_t width) {
        return std::stod(bytes.substr(offset, width));
    };
    const double records = number(236, 8);
    if (records < 0) {
        return std::nullopt;
    }
    const std::string date = bytes.substr(168, 8), time = bytes.substr(176, 8);
    const int day = std::stoi(date.substr(0, 2)), month = std::stoi(date.substr(3, 2));
    const int year = 2000 + std::stoi(date.substr(6, 2));
    const auto midnight = calendar::compose({year, month, day, 0, 0, 0});
    const double secondsOfDay = std::stoi(time.substr(0, 2)) * 3600.0 +
                                std::stoi(time.substr(3, 2)) * 60.0 + std::stoi(time.substr(6, 2));
    return RawHeader{midnight->secondsSince1970 + secondsOfDay, records * number(244, 8)};
}

struct ExpectedNight {
    int sessionCount = 0;
    double seconds = 0;
    std::map<std::string, std::int64_t> eventTexts;
    // From the independent reader's sums over the night's summary files.
    double pressureSum = 0, pressureCount = 0, leakSum = 0, leakCount = 0;
    double pressureMinimum = INFINITY, pressureMaximum = -INFINITY, leakMaximum = -INFINITY;
};

// The device files each night's recordings in a folder named after the night. Sessions are the
// union of the signal files' spans, joining gaps of up to 30 seconds.
std::map<std::string, ExpectedNight> expectedNights(const fs::path& card) {
    std::map<std::string, ExpectedNight> nights;
    for (const auto& folder : fs::directory_iterator(card / "DATALOG")) {
        ExpectedNight& night = nights[folder.path().filename().string()];
        std::vector<std::pair<double, double>> spans;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            const std::string kind = name.substr(name.size() - 7, 3);
            if (kind == "EVE" || kind == "CSL") {
                const std::string bytes = testing::readFile(entry.path());
                for (const char* text :
                     {"Obstructive Apnea", "Central Apnea", "Hypopnea", "Apnea", "Arousal"}) {
                    const std::string marked = "\x14" + std::string(text) + "\x14";
                    for (std::size_t at = bytes.find(marked); at != std::string::npos;
                         at = bytes.find(marked, at + 1)) {
                        ++night.eventTexts[text];
                    }
                }
            } else if (const auto header = rawHeader(entry.path());
                       header && header->duration > 0) {
                spans.emplace_back(header->localStart, header->localStart + header->duration);
            }
        }
        std::sort(spans.begin(), spans.end());
        double end = -INFINITY;
        double start = 0;
        for (const auto& [spanStart, spanEnd] : spans) {
            if (spanStart > end + 30) {
                if (night.sessionCount > 0) {
                    night.seconds += end - start;
                }
                ++night.sessionCount;
                start = spanStart;
                end = spanEnd;
            } else {
                end = std::max(end, spanEnd);
            }
        }
        night.seconds += end - start;
    }
    return nights;
}

void addPeerValues(const fs::path& peerFile, std::map<std::string, ExpectedNight>& nights) {
    simdjson::dom::parser parser;
    const simdjson::padded_string json = simdjson::padded_string::load(peerFile.string());
    for (simdjson::dom::element file : parser.parse(json).get_array()) {
        const std::string_view path = file["file"].get_string();
        if (path.find("_PLD") == std::string_view::npos || !file["peer_accepts"].get_bool()) {
            continue;
        }
        ExpectedNight& night = nights[std::string(path.substr(8, 8))];
        for (simdjson::dom::element signal : file["signals"].get_array()) {
            const std::string_view label = signal["label"].get_string();
            const double sum = signal["sum"].get_double(), count = signal["count"].get_double();
            if (label == "Press.2s") {
                night.pressureSum += sum;
                night.pressureCount += count;
                night.pressureMinimum =
                    std::min(night.pressureMinimum, signal["min"].get_double().value());
                night.pressureMaximum =
                    std::max(night.pressureMaximum, signal["max"].get_double().value());
            } else if (label == "Leak.2s") {
                night.leakSum += sum;
                night.leakCount += count;
                night.leakMaximum = std::max(night.leakMaximum, signal["max"].get_double().value());
            }
        }
    }
}

std::string dayName(Date date) {
    const auto day = calendar::decompose(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(day->year),
                  static_cast<int>(day->month), static_cast<int>(day->day));
    return text;
}

TEST(RealCardImport, NightsSessionsEventsAndStatisticsMatchTheFiles) {
    VELUNORA_REQUIRE_REAL_CARD(card);
    testing::ScopedTimeZone zone("America/New_York");
    auto expected = expectedNights(card);
    addPeerValues(card.parent_path() / "airsense10-peer-values.json", expected);

    const auto registry = PAPCardImportRegistry::standard();
    const auto detected = registry.detectCard(card);
    ASSERT_TRUE(detected.has_value());
    const OscarSnapshot snapshot = registry.importCard(*detected);

    ASSERT_EQ(snapshot.machines.size(), 1u);
    EXPECT_EQ(snapshot.machines[0].id, fnv1a64("23192691004"));
    EXPECT_EQ(snapshot.machines[0].series, "AirSense 10");
    ASSERT_EQ(snapshot.nights.size(), expected.size());

    for (const NightSummary& night : snapshot.nights) {
        const std::string name = dayName(night.date);
        SCOPED_TRACE(name);
        ASSERT_TRUE(expected.contains(name));
        const ExpectedNight& want = expected[name];
        EXPECT_EQ(static_cast<int>(night.sessions.size()), want.sessionCount);
        EXPECT_NEAR(night.totalHours, want.seconds / 3600.0, 1e-9);
        EXPECT_EQ(night.isCompliant, want.seconds >= 4 * 3600.0);

        const auto texts = [&](const char* text) {
            const auto found = want.eventTexts.find(text);
            return found == want.eventTexts.end() ? std::int64_t{0} : found->second;
        };
        EXPECT_EQ(night.obstructiveCount, texts("Obstructive Apnea"));
        EXPECT_EQ(night.centralCount, texts("Central Apnea"));
        EXPECT_EQ(night.hypopneaCount, texts("Hypopnea"));
        EXPECT_EQ(night.unclassifiedCount, texts("Apnea"));
        EXPECT_EQ(night.reraCount, texts("Arousal"));
        for (const RespiratoryEvent& event : night.events) {
            const bool inSession = std::any_of(
                night.sessions.begin(), night.sessions.end(), [&](const PAPSession& session) {
                    return session.id == event.sessionID && session.start <= event.start &&
                           event.start <= session.end;
                });
            EXPECT_TRUE(inSession);
        }

        ASSERT_TRUE(night.pressureAverage.has_value());
        if (want.pressureMinimum >= 0) {
            EXPECT_NEAR(*night.pressureAverage, want.pressureSum / want.pressureCount,
                        1e-9 * *night.pressureAverage);
            EXPECT_NEAR(*night.pressureMinimum, want.pressureMinimum, 1e-9);
            EXPECT_NEAR(*night.pressureMaximum, want.pressureMaximum, 1e-9);
            EXPECT_LE(*night.pressureMinimum, *night.pressure95th);
            EXPECT_LE(*night.pressure95th, *night.pressureMaximum);
        }
        ASSERT_TRUE(night.leakAverage.has_value());
        EXPECT_NEAR(*night.leakAverage, 60.0 * want.leakSum / want.leakCount, 1e-8)
            << "leak is written in L/s and published in L/min";
        EXPECT_NEAR(*night.leakMaximum, 60.0 * want.leakMaximum, 1e-9);
        EXPECT_FALSE(night.spo2Average.has_value());
    }

    // The seven latest sessions are the newest night's six and the last of the night before:
    // those two nights have series, the oldest has none.
    ASSERT_EQ(snapshot.nights.size(), 3u);
    EXPECT_TRUE(snapshot.nights[0].channels.empty());
    for (std::size_t n = 1; n < 3; ++n) {
        const NightSummary& night = snapshot.nights[n];
        EXPECT_FALSE(night.channels.empty());
        bool hasFlow = false;
        for (const ChannelSeries& series : night.channels) {
            EXPECT_FALSE(series.points.empty());
            EXPECT_LE(series.points.size(), series.code == ChannelCode::flowRate ? 2400u : 1200u);
            hasFlow = hasFlow || series.code == ChannelCode::flowRate;
            EXPECT_TRUE(std::is_sorted(
                series.points.begin(), series.points.end(),
                [](const ChannelPoint& a, const ChannelPoint& b) { return a.time < b.time; }));
        }
        EXPECT_TRUE(hasFlow);
    }
}

} // namespace
} // namespace velunora
