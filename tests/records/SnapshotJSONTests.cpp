#include "platform/LocalCalendar.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace velunora {
namespace {

// Every kind of value the document carries: ids at both ends of Int64 and beyond 2^53, a date
// with a fraction, absent statistics, "/" and quotes in text, non-ASCII text, numbers that need
// an exponent, and an empty night.
OscarSnapshot goldenSnapshot() {
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{1692775800};
    snapshot.machines = {
        PAPMachine{-7046029254386353131, "ResMed", "AirSense 10/AutoSet \"Pro\"", "AirSense 10",
                   "23171234567", Date{1692775800.75}},
        PAPMachine{std::numeric_limits<std::int64_t>::max(), "Resm\u00e9 \u2116", "", "ResMed", "",
                   std::nullopt},
    };
    NightSummary full;
    full.date = Date{1692590400};
    full.totalHours = 7.25;
    full.maskOnHours = 7.25;
    full.ahi = 1.5;
    full.rdi = 2;
    full.obstructiveCount = 1;
    full.centralCount = 2;
    full.hypopneaCount = 3;
    full.reraCount = 0;
    full.unclassifiedCount = 4;
    full.pressureAverage = 9.5;
    full.pressureMinimum = 4;
    full.pressureMaximum = 12.25;
    full.pressure95th = 11.5;
    full.leakAverage = 0.1;
    full.leak95th = 3e-7;
    full.leakMaximum = 1e21;
    full.isCompliant = true;
    full.sessions = {PAPSession{std::numeric_limits<std::int64_t>::min(), Date{1692670267.9},
                                Date{1692673868}, 3600.5}};
    full.events = {
        RespiratoryEvent{16926708000, 1692670267, EventKind::central, Date{1692670800}, 10}};
    full.channels = {ChannelSeries{-3,
                                   ChannelCode::flowLimitation,
                                   {ChannelPoint{Date{1692670267.25}, -0.5},
                                    ChannelPoint{Date{1692670267.75}, 0.0015259021896696368}}}};
    NightSummary empty;
    empty.date = Date{1692676800};
    empty.pulseAverage = 60;
    snapshot.nights = {full, empty};
    return snapshot;
}

constexpr std::string_view goldenJSON = R"({
  "generatedAt" : "2023-08-23T07:30:00Z",
  "machines" : [
    {
      "brand" : "ResMed",
      "id" : -7046029254386353131,
      "lastImported" : "2023-08-23T07:30:00Z",
      "model" : "AirSense 10\/AutoSet \"Pro\"",
      "serialNumber" : "23171234567",
      "series" : "AirSense 10"
    },
    {
      "brand" : "Resmé №",
      "id" : 9223372036854775807,
      "model" : "",
      "serialNumber" : "",
      "series" : "ResMed"
    }
  ],
  "nights" : [
    {
      "ahi" : 1.5,
      "centralCount" : 2,
      "channels" : [
        {
          "code" : "FLG",
          "points" : [
            {
              "time" : "2023-08-22T02:11:07Z",
              "value" : -0.5
            },
            {
              "time" : "2023-08-22T02:11:07Z",
              "value" : 0.0015259021896696368
            }
          ],
          "sessionID" : -3
        }
      ],
      "date" : "2023-08-21T04:00:00Z",
      "events" : [
        {
          "durationSeconds" : 10,
          "id" : 16926708000,
          "sessionID" : 1692670267,
          "start" : "2023-08-22T02:20:00Z",
          "type" : "ClearAirway"
        }
      ],
      "hypopneaCount" : 3,
      "isCompliant" : true,
      "leak95th" : 3e-07,
      "leakAverage" : 0.1,
      "leakMaximum" : 1e+21,
      "maskOnHours" : 7.25,
      "obstructiveCount" : 1,
      "pressure95th" : 11.5,
      "pressureAverage" : 9.5,
      "pressureMaximum" : 12.25,
      "pressureMinimum" : 4,
      "rdi" : 2,
      "reraCount" : 0,
      "sessions" : [
        {
          "durationSeconds" : 3600.5,
          "end" : "2023-08-22T03:11:08Z",
          "id" : -9223372036854775808,
          "start" : "2023-08-22T02:11:07Z"
        }
      ],
      "totalHours" : 7.25,
      "unclassifiedCount" : 4
    },
    {
      "ahi" : 0,
      "centralCount" : 0,
      "channels" : [],
      "date" : "2023-08-22T04:00:00Z",
      "events" : [],
      "hypopneaCount" : 0,
      "isCompliant" : false,
      "maskOnHours" : 0,
      "obstructiveCount" : 0,
      "pulseAverage" : 60,
      "rdi" : 0,
      "reraCount" : 0,
      "sessions" : [],
      "totalHours" : 0,
      "unclassifiedCount" : 0
    }
  ],
  "profileName" : "Velunora"
})";

// The golden document without the whitespace between its tokens: the published form.
std::string compacted(std::string_view json) {
    std::string out;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            out += c;
            if (c == '\\') {
                out += json[++i];
            } else if (c == '"') {
                inString = false;
            }
        } else if (c != ' ' && c != '\n') {
            out += c;
            inString = c == '"';
        }
    }
    return out;
}

TEST(SnapshotEncoding, WritesTheExactGoldenBytesCompactAndPretty) {
    EXPECT_EQ(makeSnapshotEncoder(SnapshotLayout::pretty).encode(goldenSnapshot()), goldenJSON);
    const std::string compact = makeSnapshotEncoder().encode(goldenSnapshot());
    EXPECT_EQ(compact, compacted(goldenJSON));
    EXPECT_EQ(compact.find('\n'), std::string::npos);
}

TEST(SnapshotEncoding, DecodingThenEncodingGivesTheSameBytes) {
    // Documents published pretty by earlier versions still read, and come back compact.
    const OscarSnapshot decoded = decodeSnapshot(goldenJSON);
    EXPECT_EQ(makeSnapshotEncoder(SnapshotLayout::pretty).encode(decoded), goldenJSON);
    EXPECT_EQ(makeSnapshotEncoder().encode(decodeSnapshot(compacted(goldenJSON))),
              compacted(goldenJSON));
}

TEST(SnapshotEncoding, DecodedValuesMatchTheEncodedOnesToTheWholeSecond) {
    const OscarSnapshot original = goldenSnapshot();
    const OscarSnapshot decoded = decodeSnapshot(makeSnapshotEncoder().encode(original));
    ASSERT_EQ(decoded.machines.size(), 2u);
    EXPECT_EQ(decoded.machines[0].id, -7046029254386353131);
    EXPECT_EQ(decoded.machines[0].lastImported, Date{1692775800});
    EXPECT_FALSE(decoded.machines[1].lastImported.has_value());
    ASSERT_EQ(decoded.nights.size(), 2u);
    const NightSummary& full = decoded.nights[0];
    EXPECT_EQ(full.sessions[0].start, Date{1692670267}) << "the fraction is dropped, not rounded";
    EXPECT_EQ(full.leak95th, 3e-7);
    EXPECT_EQ(full.channels[0].points[1].value, 0.0015259021896696368);
    EXPECT_EQ(full.events[0].type, EventKind::central);
    EXPECT_FALSE(full.spo2Average.has_value());
    EXPECT_FALSE(full.pulseAverage.has_value());
    const NightSummary& empty = decoded.nights[1];
    EXPECT_TRUE(empty.sessions.empty() && empty.events.empty() && empty.channels.empty());
    EXPECT_FALSE(empty.pressureAverage.has_value());
    EXPECT_EQ(empty.pulseAverage, 60.0);
}

// A night whose every number field, its session's, its event's and its point's included, is
// `value`.
NightSummary nightWithEveryNumber(double value, Date date) {
    NightSummary night;
    night.date = date;
    night.totalHours = night.maskOnHours = night.ahi = night.rdi = value;
    for (std::optional<double>* statistic :
         {&night.pressureAverage, &night.pressureMinimum, &night.pressureMaximum,
          &night.pressure95th, &night.leakAverage, &night.leak95th, &night.leakMaximum,
          &night.spo2Average, &night.spo2Minimum, &night.pulseAverage}) {
        *statistic = value;
    }
    night.sessions = {PAPSession{1, date, date, value}};
    night.events = {RespiratoryEvent{1, 1, EventKind::hypopnea, date, value}};
    night.channels = {ChannelSeries{1, ChannelCode::pressure, {ChannelPoint{date, value}}}};
    return night;
}

// The bits of every number field of the snapshot, in one fixed order.
std::vector<std::uint64_t> numberBits(const OscarSnapshot& snapshot) {
    std::vector<std::uint64_t> bits;
    const auto add = [&](double value) { bits.push_back(std::bit_cast<std::uint64_t>(value)); };
    for (const NightSummary& night : snapshot.nights) {
        for (double value : {night.totalHours, night.maskOnHours, night.ahi, night.rdi}) {
            add(value);
        }
        for (const std::optional<double>& statistic :
             {night.pressureAverage, night.pressureMinimum, night.pressureMaximum,
              night.pressure95th, night.leakAverage, night.leak95th, night.leakMaximum,
              night.spo2Average, night.spo2Minimum, night.pulseAverage}) {
            add(statistic.value_or(-1.5));
        }
        for (const PAPSession& session : night.sessions) {
            add(session.durationSeconds);
        }
        for (const RespiratoryEvent& event : night.events) {
            add(event.durationSeconds);
        }
        for (const ChannelSeries& channel : night.channels) {
            for (const ChannelPoint& point : channel.points) {
                add(point.value);
            }
        }
    }
    return bits;
}

::testing::AssertionResult sameNumbers(const OscarSnapshot& actual, const OscarSnapshot& expected) {
    const std::vector<std::uint64_t> got = numberBits(actual);
    const std::vector<std::uint64_t> wanted = numberBits(expected);
    if (got.size() != wanted.size()) {
        return ::testing::AssertionFailure()
               << got.size() << " numbers instead of " << wanted.size();
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] != wanted[i]) {
            return ::testing::AssertionFailure()
                   << std::hexfloat << std::bit_cast<double>(wanted[i]) << " came back as "
                   << std::bit_cast<double>(got[i]) << " (number " << i << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// Whole numbers beyond the 64-bit integers (a corrupt EDF scale gives such pressures) once came
// out as integer literals ("123456789012345683968") that our own decoder refused, so the next
// sync lost the published history.
TEST(SnapshotEncoding, HardNumbersReadBackBitForBitInEveryNumberField) {
    using limits = std::numeric_limits<double>;
    const double values[] = {2.5e20,
                             123456789012345683968.0,
                             -123456789012345683968.0,
                             1.2345678901234567e21,
                             0x1p53,
                             0x1p53 + 2,
                             9007199254740993.0,
                             0x1p63,
                             -0x1p63,
                             -0x1p63 - 2048,
                             0x1p64 - 2048,
                             0x1p64,
                             -0x1p64,
                             1e15,
                             1e22,
                             1e23,
                             1e300,
                             limits::max(),
                             -limits::max(),
                             limits::min(),
                             limits::denorm_min(),
                             -limits::denorm_min(),
                             0.0,
                             -0.0,
                             12,
                             0.1,
                             1.0 / 3.0,
                             -2.5e-300,
                             123456789.125};
    OscarSnapshot snapshot;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        snapshot.nights.push_back(nightWithEveryNumber(values[i], Date{86400.0 * double(i)}));
    }
    const auto encoder = makeSnapshotEncoder();
    const std::string json = encoder.encode(snapshot);
    const OscarSnapshot decoded = decodeSnapshot(json);
    EXPECT_TRUE(sameNumbers(decoded, snapshot));
    EXPECT_EQ(encoder.encode(decoded), json);

    // Plain integers stay as long as they read back; -0 keeps its sign.
    const std::pair<double, std::string_view> forms[] = {
        {12, "12"},
        {2.5e20, "2.5e+20"},
        {123456789012345683968.0, "1.2345678901234568e+20"},
        {-0x1p63, "-9223372036854775808"},
        {-0x1p63 - 2048, "-9.223372036854778e+18"},
        {0x1p64 - 2048, "18446744073709549568"},
        {0x1p64, "1.8446744073709552e+19"},
        {-0.0, "-0.0"}};
    for (const auto& [value, form] : forms) {
        OscarSnapshot one;
        one.nights.push_back(nightWithEveryNumber(value, Date{0}));
        EXPECT_NE(encoder.encode(one).find("\"pressureMaximum\":" + std::string(form) + ","),
                  std::string::npos)
            << form;
    }
}

TEST(SnapshotEncoding, RandomBitPatternsReadBackBitForBit) {
    std::mt19937_64 random(20230822);
    ChannelSeries series{1, ChannelCode::flowRate, {}};
    series.points.reserve(100000);
    while (series.points.size() < 100000) {
        const double value = std::bit_cast<double>(random());
        if (std::isfinite(value)) {
            series.points.push_back(ChannelPoint{Date{0}, value});
        }
    }
    OscarSnapshot snapshot;
    snapshot.nights.emplace_back().channels.push_back(std::move(series));
    const auto encoder = makeSnapshotEncoder();
    const std::string json = encoder.encode(snapshot);
    const OscarSnapshot decoded = decodeSnapshot(json);
    EXPECT_TRUE(sameNumbers(decoded, snapshot));
    EXPECT_TRUE(encoder.encode(decoded) == json) << "the second encoding differs";
}

TEST(SnapshotEncoding, EscapesControlCharactersAndRepairsInvalidUTF8) {
    OscarSnapshot snapshot;
    snapshot.profileName = std::string("a\tb\n\x01\\c\xff") + "d\xe2\x82";
    const std::string json = makeSnapshotEncoder().encode(snapshot);
    EXPECT_NE(json.find(R"("profileName":"a\tb\n\u0001\\c)"
                        "\xEF\xBF\xBD"
                        "d"
                        "\xEF\xBF\xBD\xEF\xBF\xBD"
                        R"(")"),
              std::string::npos)
        << json;
    EXPECT_EQ(decodeSnapshot(json).profileName, "a\tb\n\x01\\c\xEF\xBF\xBD"
                                                "d\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(SnapshotEncoding, RefusesNonFiniteNumbersAndUnwritableDates) {
    const auto encoder = makeSnapshotEncoder();
    const double refused[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    for (double value : refused) {
        OscarSnapshot snapshot = goldenSnapshot();
        snapshot.nights[1].pulseAverage = value;
        EXPECT_THROW(encoder.encode(snapshot), SnapshotEncodingError);
        snapshot = goldenSnapshot();
        snapshot.nights[0].channels[0].points[0].value = value;
        EXPECT_THROW(encoder.encode(snapshot), SnapshotEncodingError);
        snapshot = goldenSnapshot();
        snapshot.generatedAt = Date{value};
        EXPECT_THROW(encoder.encode(snapshot), SnapshotEncodingError);
    }
    OscarSnapshot farFuture;
    farFuture.generatedAt = Date{253402300800.0}; // 10000-01-01
    EXPECT_THROW(encoder.encode(farFuture), SnapshotEncodingError);

    // The text names the value and its night, so that the user knows which card file to look at.
    const testing::ScopedTimeZone paris("Europe/Paris");
    OscarSnapshot snapshot = goldenSnapshot();
    snapshot.nights[1].pressureMaximum = std::nan("");
    try {
        encoder.encode(snapshot);
    } catch (const SnapshotEncodingError& error) {
        const auto day = calendar::decompose(snapshot.nights[1].date);
        char expected[96];
        std::snprintf(expected, sizeof expected,
                      "pour \u00ab pressureMaximum \u00bb de la nuit du %02d/%02d/%04d",
                      int(day->day), int(day->month), int(day->year));
        EXPECT_TRUE(std::string(error.what()).ends_with(expected)) << error.what();
    }
}

TEST(InternetDates, FormatAndParseAtTheEdges) {
    EXPECT_EQ(formatInternetDate(Date{0}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatInternetDate(Date{-0.5}), "1969-12-31T23:59:59Z");
    EXPECT_EQ(formatInternetDate(Date{951782400}), "2000-02-29T00:00:00Z");
    EXPECT_EQ(formatInternetDate(Date{-62167219200}), "0000-01-01T00:00:00Z");
    EXPECT_EQ(formatInternetDate(Date{253402300799.9}), "9999-12-31T23:59:59Z");
    EXPECT_EQ(formatInternetDate(Date{1692670267.999}), "2023-08-22T02:11:07Z");
}

// A valid document to break in one place at a time.
std::string validDocument(std::string_view nightExtra = "", std::string_view eventType = "Apnea",
                          std::string_view count = "1") {
    return std::string(R"({"generatedAt":"2023-08-23T07:30:00Z","profileName":"Velunora",
      "machines":[{"brand":"ResMed","id":5,"model":"m","serialNumber":"","series":"ResMed"}],
      "nights":[{"ahi":0,"centralCount":)") +
           std::string(count) + R"(,"channels":[{"code":"Leak","sessionID":1,
        "points":[{"time":"2023-08-22T02:11:07Z","value":1}]}],
      "date":"2023-08-22T04:00:00Z","events":[{"durationSeconds":1,"id":2,"sessionID":1,
        "start":"2023-08-22T02:11:07Z","type":")" +
           std::string(eventType) + R"("}],"hypopneaCount":0,"isCompliant":false,
      "maskOnHours":0,"obstructiveCount":0,"rdi":0,"reraCount":0,"sessions":[],
      "totalHours":0,"unclassifiedCount":0)" +
           std::string(nightExtra) + "}]}";
}

TEST(SnapshotDecoding, AcceptsNullOrMissingOptionalsUnknownKeysAndOffsets) {
    const OscarSnapshot plain = decodeSnapshot(validDocument());
    EXPECT_FALSE(plain.nights[0].pressureAverage.has_value());
    EXPECT_EQ(plain.nights[0].centralCount, 1);

    const OscarSnapshot withNull =
        decodeSnapshot(validDocument(R"(,"pressureAverage":null,"spo2Minimum":null)"));
    EXPECT_FALSE(withNull.nights[0].pressureAverage.has_value());
    EXPECT_FALSE(withNull.nights[0].spo2Minimum.has_value());

    const OscarSnapshot withExtra =
        decodeSnapshot(validDocument(R"(,"leakAverage":12,"futureKey":{"nested":[1,2,null]})"));
    EXPECT_EQ(withExtra.nights[0].leakAverage, 12.0);

    std::string withExtraAtTop = validDocument();
    withExtraAtTop.insert(1, R"("appVersion":"2.0",)");
    EXPECT_NO_THROW(decodeSnapshot(withExtraAtTop));

    std::string withOffset = validDocument();
    withOffset.replace(withOffset.find("2023-08-23T07:30:00Z"), 20, "2023-08-23T09:30:00+02:00");
    EXPECT_EQ(decodeSnapshot(withOffset).generatedAt, Date{1692775800});
}

// Exports written before whole numbers past 2^64 got an exponent must still read.
TEST(SnapshotDecoding, ReadsLongWholeNumbersOfEarlierExportsAsNumbers) {
    std::string earlier = validDocument(R"(,"leakMaximum":123456789012345683968)");
    earlier.replace(earlier.find(R"("value":1)"), 9, R"("value":-123456789012345683968)");
    earlier.replace(earlier.find(R"("model":"m")"), 11, R"("model":"123456789012345678901")");
    const OscarSnapshot decoded = decodeSnapshot(earlier);
    EXPECT_EQ(decoded.nights[0].leakMaximum, 123456789012345683968.0);
    EXPECT_EQ(decoded.nights[0].channels[0].points[0].value, -123456789012345683968.0);
    EXPECT_EQ(decoded.machines[0].model, "123456789012345678901");
}

TEST(SnapshotDecoding, RejectsWrongStructureMissingKeysAndWrongTypes) {
    const std::string broken[] = {
        "",
        "[]",
        "{",
        R"({"generatedAt":"2023-08-23T07:30:00Z","profileName":"V","machines":[]})",
        validDocument().replace(validDocument().find(R"("rdi":0,)"), 8, ""),
        validDocument(R"(,"leakAverage":"12")"),
        validDocument(R"(,"isCompliant":1)"),
        validDocument().replace(validDocument().find(R"("sessions":[])"), 13, R"("sessions":{})"),
        validDocument().replace(validDocument().find(R"("sessions":[])"), 13, R"("sessions":null)"),
        validDocument().replace(validDocument().find(R"("brand":"ResMed")"), 15, R"("brand":null)"),
        validDocument().replace(validDocument().find(R"("sessions":[])"), 13,
                                R"("sessions":[{"id":1,"start":"2023-08-22T02:11:07Z",
                                   "end":"2023-08-22T02:11:07Z"}])"),
    };
    for (const std::string& document : broken) {
        EXPECT_THROW(decodeSnapshot(document), SnapshotDecodingError) << document;
    }
}

TEST(SnapshotDecoding, RejectsBadDatesIntegersAndCodes) {
    const std::string base = validDocument();
    auto withDate = [&](std::string_view date) {
        std::string document = base;
        document.replace(document.find("2023-08-23T07:30:00Z"), 20, date);
        return document;
    };
    for (std::string_view date :
         {"2023-08-23T07:30:00.5Z", "2023-08-23 07:30:00Z", "2023-02-29T07:30:00Z",
          "2023-08-23T24:00:00Z", "2023-08-23T07:30:00", "23-08-23T07:30:00Z", "yesterday",
          "0000-01-01T00:59:59+01:00", "9999-12-31T23:59:59-00:01"}) {
        EXPECT_THROW(decodeSnapshot(withDate(date)), SnapshotDecodingError) << date;
    }
    for (std::string_view count :
         {"1.5", "1.0", "1e3", "9223372036854775808", "-9223372036854775809",
          "18446744073709551615", "123456789012345678901", "\"1\""}) {
        EXPECT_THROW(decodeSnapshot(validDocument("", "Apnea", count)), SnapshotDecodingError)
            << count;
    }
    EXPECT_EQ(
        decodeSnapshot(validDocument("", "Apnea", "-9223372036854775808")).nights[0].centralCount,
        std::numeric_limits<std::int64_t>::min());
    for (std::string_view type : {"central", "clearairway", "ClearAirway ", "", "Apnoea"}) {
        EXPECT_THROW(decodeSnapshot(validDocument("", type)), SnapshotDecodingError) << type;
    }
    std::string badCode = base;
    badCode.replace(badCode.find(R"("Leak")"), 6, R"("leak")");
    EXPECT_THROW(decodeSnapshot(badCode), SnapshotDecodingError);
}

} // namespace
} // namespace velunora
