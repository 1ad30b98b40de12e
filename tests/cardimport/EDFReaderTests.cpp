#include "cardimport/EDFReader.h"
#include "cardimport/PAPCardImportError.h"
#include "platform/PlatformError.h"
#include "support/EDFBuilder.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <simdjson.h>
#include <sys/stat.h>
#include <thread>

namespace velunora {
namespace {

using namespace std::string_literals;
using testing::annotationList;
using testing::annotationSignal;
using testing::EDFBuilder;
using testing::EDFTestSignal;
using testing::ScopedTimeZone;

constexpr double inf = std::numeric_limits<double>::infinity();

EDFTestSignal flowSignal(std::vector<std::int16_t> samples, int perRecord) {
    EDFTestSignal signal;
    signal.label = "Flow.40ms";
    signal.dimension = "L/s";
    signal.samplesPerRecord = perRecord;
    signal.samples = std::move(samples);
    return signal;
}

EDFBuilder oneSignalFile() {
    EDFBuilder file;
    file.records = 2;
    file.signals = {flowSignal({1, 2, 3, 4}, 2)};
    return file;
}

// The message of the unreadable error that reading the bytes throws, or "" without an error.
std::string failureOf(const std::string& bytes, bool includeSamples = true) {
    try {
        parseEDFBytes(bytes, "night.edf", includeSamples);
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.kind(), PAPCardImportError::Kind::unreadable);
        return error.message();
    }
    return {};
}

const std::string invalidHeader = "en-t\u00eate EDF invalide dans night.edf";
const std::string invalidDate = "date EDF invalide dans night.edf";
const std::string truncated = "donn\u00e9es tronqu\u00e9es dans night.edf";

TEST(EDFHeader, ShortFilesAreIncomplete) {
    const std::string file = oneSignalFile().bytes();
    EXPECT_EQ(failureOf(file.substr(0, 255), false), "night.edf est incomplet");
    EXPECT_EQ(failureOf(""), "night.edf est incomplet");
    EXPECT_EQ(failureOf(std::string(256, ' ')), invalidHeader);
    EDFBuilder bare = oneSignalFile();
    bare.headerSize = "256";
    EXPECT_EQ(failureOf(bare.bytes().substr(0, 256), false), "description EDF invalide");
}

TEST(EDFHeader, RejectsFieldsOutOfBounds) {
    const auto withHeader = [](auto change) {
        EDFBuilder file = oneSignalFile();
        change(file);
        return failureOf(file.bytes(), false);
    };
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordCount = "-1"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordCount = "many"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.signalCount = "0"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.signalCount = "513"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.headerSize = "255"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.headerSize = "99999999"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordDuration = "-0.5"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordDuration = "nan"; }), invalidHeader);
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordDuration = "1 min"; }), invalidHeader);
    // 512 signals pass the header check and then need 256 + 512 × 256 header bytes.
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.signalCount = "512"; }), "description EDF invalide");
    EXPECT_EQ(withHeader([](EDFBuilder& f) { f.recordDuration = "0"; }), "");
}

TEST(EDFHeader, ReportsTheFirstFaultInOrder) {
    EDFBuilder file = oneSignalFile();
    file.startDate = "bad";
    file.signalCount = "0";
    EXPECT_EQ(failureOf(file.bytes()), invalidHeader);
    file.signalCount = "2"; // the header is now too short for two signals
    EXPECT_EQ(failureOf(file.bytes()), invalidDate);
    file.startDate = "21.08.23";
    EXPECT_EQ(failureOf(file.bytes().substr(0, 600)), "description EDF invalide");
}

TEST(EDFHeader, HeaderOnlyModeGivesStartAndDuration) {
    const ScopedTimeZone zone("Europe/Paris");
    EDFBuilder file = oneSignalFile();
    file.signals.push_back(annotationSignal(10, {annotationList("+0", {}, {"Apnea"})}));
    const EDFDocument document = parseEDFBytes(file.bytes(), "n.edf", false);
    EXPECT_EQ(document.start.secondsSince1970, 1692649800.0); // 2023-08-21 22:30 CEST
    EXPECT_EQ(document.duration, 120.0);
    EXPECT_TRUE(document.signals.empty());
    EXPECT_TRUE(document.annotations.empty());
}

TEST(EDFFields, TextFieldsAreRepairedAndTrimmed) {
    const std::string bytes = "  Flow\xFF \u00A0\r\nPress.2s"s;
    EXPECT_EQ(readTextField(bytes, 0, 12), "Flow\uFFFD");
    EXPECT_EQ(readTextField(bytes, 12, 8), "Press.2s");
    EXPECT_EQ(readTextField(bytes, 12, 9), ""); // one byte past the end
    EXPECT_EQ(readTextField(bytes, std::numeric_limits<std::size_t>::max(), 2), "");
}

TEST(EDFFields, IntegersAreSignedDecimalDigitsOnly) {
    EXPECT_EQ(readIntegerField("  -0012 ", 0, 8), -12);
    EXPECT_EQ(readIntegerField("12a     ", 0, 8), -1);
    EXPECT_EQ(parseEDFInteger("+7"), 7);
    EXPECT_EQ(parseEDFInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseEDFInteger("-9223372036854775808"), INT64_MIN);
    for (std::string_view text :
         {"", "1.0", "+-1", "+", "-", "0x10", "9223372036854775808", " 1", "\u0661"}) {
        EXPECT_FALSE(parseEDFInteger(text)) << text;
    }
}

TEST(EDFFields, NumbersAreCLocaleFloatingPoint) {
    EXPECT_EQ(parseEDFNumber("-2e3"), -2000.0);
    EXPECT_EQ(parseEDFNumber("+.5"), 0.5);
    EXPECT_EQ(parseEDFNumber("5."), 5.0);
    EXPECT_EQ(parseEDFNumber("inf"), inf);
    EXPECT_EQ(parseEDFNumber("-Infinity"), -inf);
    EXPECT_EQ(parseEDFNumber("0x1.8p1"), 3.0);
    EXPECT_EQ(parseEDFNumber("-0X10"), -16.0);
    EXPECT_EQ(parseEDFNumber("1e400"), inf); // rounded as strtod does
    EXPECT_EQ(parseEDFNumber("1e-400"), 0.0);
    EXPECT_EQ(parseEDFNumber("4.9e-324"), 4.9e-324);
    for (std::string_view text : {"nan", "-NaN", "nan(0x7f_A)", "nan()"}) {
        const auto value = parseEDFNumber(text);
        EXPECT_TRUE(value && std::isnan(*value)) << text;
    }
    for (std::string_view text : {"", " 1", "1 ", "1,5", "0x", "0x-1", "1e", "--1", "+-1", "-", ".",
                                  "infin", "nan(", "nan(a b)", "0x1p", "\u0661"}) {
        EXPECT_FALSE(parseEDFNumber(text)) << text;
    }
}

TEST(EDFFields, ColumnsReadUnreadableFieldsAsZero) {
    // The last field would end past the bytes: empty, so unreadable as well.
    const std::string bytes = "1.5     x       -3      12";
    std::size_t cursor = 0;
    EXPECT_EQ(readDoubleColumn(bytes, cursor, 8, 4), (std::vector<double>{1.5, 0, -3, 0}));
    EXPECT_EQ(cursor, 32u);
    cursor = 8;
    EXPECT_EQ(readIntegerColumn(bytes, cursor, 8, 3), (std::vector<std::int64_t>{0, -3, 0}));
    EXPECT_EQ(cursor, 32u);
}

TEST(EDFStartDate, TwoDigitYearsPivotAt1985) {
    const ScopedTimeZone zone("UTC");
    EXPECT_EQ(parseEDFStartDate("31.12.84", "23.59.59", "a").secondsSince1970, 3629145599.0);
    EXPECT_EQ(parseEDFStartDate("01.01.85", "00.00.00", "a").secondsSince1970, 473385600.0);
    EXPECT_EQ(parseEDFStartDate("01.01.00", "00.00.00", "a").secondsSince1970, 946684800.0);
    EXPECT_EQ(parseEDFStartDate("31.12.99", "00.00.00", "a").secondsSince1970, 946598400.0);
}

TEST(EDFStartDate, NeedsThreeNumbersEach) {
    const ScopedTimeZone zone("UTC");
    const double expected = 1692657000.0; // 2023-08-21 22:30:00
    EXPECT_EQ(parseEDFStartDate("21.08.23", "22..30.00", "a").secondsSince1970, expected);
    EXPECT_EQ(parseEDFStartDate(".21.x.08.23.", "22.30.00", "a").secondsSince1970, expected);
    EXPECT_EQ(parseEDFStartDate("20.08.23", "46.30.00", "a").secondsSince1970, expected);
    const auto failure = [](std::string_view date, std::string_view time) {
        try {
            parseEDFStartDate(date, time, "night.edf");
        } catch (const PAPCardImportError& error) {
            return error.message();
        }
        return std::string();
    };
    EXPECT_EQ(failure("21.08.23", "22.30"), invalidDate);
    EXPECT_EQ(failure("21.08.23.1", "22.30.00"), invalidDate);
    EXPECT_EQ(failure("", "22.30.00"), invalidDate);
    EXPECT_EQ(failure("1.1.9223372036854775807", "0.0.0"), invalidDate); // no such year
    EXPECT_EQ(failure("1.1.99999999999", "0.0.0"), invalidDate);
}

TEST(EDFScaling, MapsTheDigitalRangeOntoThePhysicalOne) {
    EDFBuilder file;
    file.signals = {flowSignal({-32768, 32767, 0, 1}, 4)};
    const EDFDocument document = parseEDFBytes(file.bytes(), "n.edf", true);
    ASSERT_EQ(document.signals.size(), 1u);
    EXPECT_EQ(document.signals[0].label, "Flow.40ms");
    EXPECT_EQ(document.signals[0].dimension, "L/s");
    const std::vector<double>& samples = document.signals[0].physicalSamples;
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[0], -100.0);
    EXPECT_EQ(samples[1], 100.0);
    EXPECT_EQ(samples[2], 0.0015259021896696368); // to the last bit
    EXPECT_EQ(samples[3], 0.004577706569008921);
}

TEST(EDFScaling, EverySampleOfLongBlocksIsScaledAlike) {
    // Blocks are converted in groups with a remainder; lengths around the group size and
    // values at the ends of the range catch a sample converted twice, skipped or misplaced.
    for (const int perRecord : {15, 16, 17, 37}) {
        EDFBuilder file;
        file.records = 3;
        EDFTestSignal signal = flowSignal({}, perRecord);
        signal.physicalMinimum = "-0.5";
        signal.physicalMaximum = "19.5";
        signal.digitalMinimum = "-1000";
        signal.digitalMaximum = "3000";
        for (int index = 0; index < 3 * perRecord; ++index) {
            signal.samples.push_back(
                static_cast<std::int16_t>(index % 2 ? -32768 + index : 32767 - index));
        }
        file.signals = {signal, flowSignal(std::vector<std::int16_t>(3, 9), 1)};
        const EDFDocument document = parseEDFBytes(file.bytes(), "n.edf", true);
        ASSERT_EQ(document.signals.size(), 2u);
        const double scale = (19.5 - -0.5) / (3000.0 - -1000.0);
        const double offset = -0.5 - -1000.0 * scale;
        std::vector<double> expected;
        for (const std::int16_t raw : signal.samples) {
            const double product = scale * raw;
            expected.push_back(offset + product);
        }
        EXPECT_EQ(document.signals[0].physicalSamples, expected) << perRecord;
        EXPECT_EQ(document.signals[1].physicalSamples.size(), 3u);
    }
}

TEST(EDFScaling, LeavesOutSignalsWithoutDigitalRange) {
    EDFBuilder file;
    file.records = 2;
    EDFTestSignal flat = flowSignal({5, 5}, 1);
    flat.label = "Flat";
    flat.digitalMinimum = flat.digitalMaximum = "7";
    EDFTestSignal unreadable = flowSignal({5, 5}, 1);
    unreadable.label = "Unreadable";
    unreadable.digitalMinimum = "low";
    unreadable.digitalMaximum = "";
    EDFTestSignal empty = flowSignal({}, 0);
    empty.label = "Empty";
    EDFTestSignal offset = flowSignal({10, -10}, 1);
    offset.label = "Offset";
    offset.physicalMinimum = "?"; // reads as 0
    offset.physicalMaximum = "1";
    offset.digitalMinimum = "0";
    offset.digitalMaximum = "10";
    file.signals = {flat, unreadable, empty, offset};
    const EDFDocument document = parseEDFBytes(file.bytes(), "n.edf", true);
    ASSERT_EQ(document.signals.size(), 2u);
    EXPECT_EQ(document.signals[0], (EDFSignal{"Empty", "L/s", {}}));
    EXPECT_EQ(document.signals[1], (EDFSignal{"Offset", "L/s", {1.0, -1.0}}));
}

TEST(EDFRecords, ReadsRecordsInTimeOrderAndSkipsPadding) {
    EDFBuilder file;
    file.records = 3;
    file.headerSize = "1000"; // 488 unused bytes after the signal header
    file.signals = {flowSignal({1, 2, 3, 4, 5, 6}, 2), flowSignal({-1, -2, -3}, 1)};
    std::string bytes = file.bytes();
    bytes.insert(768, 1000 - 768, '\x7F');
    bytes += "trailing bytes are ignored";
    const EDFDocument document = parseEDFBytes(bytes, "n.edf", true);
    ASSERT_EQ(document.signals.size(), 2u);
    const double step = 200.0 / 65535.0;
    const auto value = [&](double raw) { return (-100.0 - -32768.0 * step) + step * raw; };
    EXPECT_EQ(document.signals[0].physicalSamples,
              (std::vector<double>{value(1), value(2), value(3), value(4), value(5), value(6)}));
    EXPECT_EQ(document.signals[1].physicalSamples,
              (std::vector<double>{value(-1), value(-2), value(-3)}));
    EXPECT_EQ(document.duration, 180.0);
}

TEST(EDFRecords, DeclaredDataBeyondTheBytesIsTruncatedInBothModes) {
    // Header-only mode reads no record, but a header whose records the file cannot hold must not
    // give a duration: one such header would make a night of years.
    for (const bool includeSamples : {true, false}) {
        SCOPED_TRACE(includeSamples ? "full" : "header only");
        const std::string bytes = oneSignalFile().bytes();
        EXPECT_EQ(failureOf(bytes.substr(0, bytes.size() - 1), includeSamples), truncated);

        EDFBuilder huge = oneSignalFile();
        huge.recordCount = "99999999";
        EXPECT_EQ(failureOf(huge.bytes(), includeSamples), truncated);
        // The largest record a header can declare, as many times as it can: the size of the data
        // must not wrap round to something that fits.
        for (int index = 0; index < 511; ++index) {
            huge.signals.push_back(flowSignal({}, 0));
        }
        for (EDFTestSignal& signal : huge.signals) {
            signal.samplesPerRecordText = "99999999";
        }
        EXPECT_EQ(failureOf(huge.bytes(), includeSamples), truncated);

        EDFBuilder negative = oneSignalFile();
        negative.signals.push_back(flowSignal({}, 0));
        negative.signals.back().samplesPerRecordText = "-1";
        EXPECT_EQ(failureOf(negative.bytes(), includeSamples), truncated);
        negative.records = 0; // no record is read, so the count never matters
        EXPECT_EQ(failureOf(negative.bytes(), includeSamples), "");
    }

    // Many records of nothing at all end at once.
    EDFBuilder nothing = oneSignalFile();
    nothing.signals[0].samplesPerRecord = 0;
    nothing.recordCount = "99999999";
    EXPECT_EQ(parseEDFBytes(nothing.bytes(), "n.edf", true).signals.at(0).physicalSamples.size(),
              0u);
}

TEST(EDFRecords, ASelectionConvertsOnlyTheSignalsItAcceptsWithTheSameChecks) {
    const testing::TemporaryFolder folder;
    EDFBuilder file;
    file.records = 90; // several stretches on disk
    EDFTestSignal pressure = flowSignal({}, 1501);
    pressure.label = "Press.2s";
    pressure.dimension = "cmH2O";
    EDFTestSignal flat = flowSignal({}, 1);
    flat.label = "Flat";
    flat.digitalMinimum = flat.digitalMaximum = "7";
    file.signals = {
        flowSignal({}, 1500), flat, pressure,
        annotationSignal(10, std::vector<std::string>(90, annotationList("+1", "2", {"Apnea"})))};
    for (EDFTestSignal& signal : file.signals) {
        for (int index = 0; index < signal.samplesPerRecord * file.records; ++index) {
            signal.samples.push_back(static_cast<std::int16_t>(index * 7919));
        }
    }
    const std::string bytes = file.bytes();
    const auto path = folder.write("n.edf", bytes);
    const EDFDocument whole = parseEDFBytes(bytes, "n.edf", true);

    std::vector<std::string> asked;
    const EDFSignalSelection pressureOnly = [&](std::string_view label, std::string_view unit) {
        asked.push_back(std::string(label) + " " + std::string(unit));
        return label == "Press.2s";
    };
    for (const EDFDocument& document :
         {parseEDFBytes(bytes, "n.edf", pressureOnly), parseEDF(path, pressureOnly)}) {
        ASSERT_EQ(document.signals.size(), 1u);
        EXPECT_EQ(document.signals[0], whole.signals[1]);
        EXPECT_EQ(document.annotations, whole.annotations);
        EXPECT_EQ(document.start, whole.start);
        EXPECT_EQ(document.duration, whole.duration);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"Flow.40ms L/s", "Press.2s cmH2O", "Flow.40ms L/s",
                                               "Press.2s cmH2O"}))
        << "asked about the scalable ordinary signals only, in header order";

    const EDFSignalSelection none = [](std::string_view, std::string_view) { return false; };
    EXPECT_TRUE(parseEDFBytes(bytes, "n.edf", none).signals.empty());
    EXPECT_THROW(parseEDFBytes(bytes.substr(0, bytes.size() - 1), "n.edf", none),
                 PAPCardImportError);
}

TEST(EDFAnnotations, ReadsTimeStampedAnnotationLists) {
    const auto parse = [](const std::string& block) { return parseAnnotationBlock(block); };
    EXPECT_TRUE(parse("+0\x14\x14\0"s).empty());
    EXPECT_EQ(parse("+30\x15"
                    "10\x14"
                    "Apnea\x14\0"s),
              (std::vector<EDFAnnotation>{{30.0, 10.0, "Apnea"}}));
    EXPECT_EQ(parse("+30\x14"
                    "A\x14"
                    "B\x14"s),
              (std::vector<EDFAnnotation>{{30.0, std::nullopt, "A"}, {30.0, std::nullopt, "B"}}));
    EXPECT_EQ(parse("+0\x14\x14\0+21177\x15"
                    "13\x14"
                    "Obstructive Apnea\x14\0\0\0"s),
              (std::vector<EDFAnnotation>{{21177.0, 13.0, "Obstructive Apnea"}}));
    EXPECT_EQ(parse("-1.5\x15"
                    "soon\x14"
                    "  Hypopnea \x14\x14 \x14\0"s),
              (std::vector<EDFAnnotation>{{-1.5, std::nullopt, "Hypopnea"}}));
    EXPECT_EQ(parse("+5\x14"
                    "Fr\xC3\xA9q\xFF\x14"s),
              (std::vector<EDFAnnotation>{{5.0, std::nullopt, "Fr\u00e9q\uFFFD"}}));
}

TEST(EDFAnnotations, SkipsMalformedLists) {
    for (const std::string& block : {""s, "\0\0\0"s, "+30 Apnea"s,
                                     "thirty\x14"
                                     "Apnea\x14"s,
                                     " +30\x14"
                                     "Apnea\x14"s,
                                     "+30\x15"s,
                                     "+30\x15"
                                     "10 Apnea"s,
                                     "+30\x14   \x14\0"s,
                                     "\x14"
                                     "Apnea\x14"s}) {
        EXPECT_TRUE(parseAnnotationBlock(block).empty()) << block;
    }
}

TEST(EDFAnnotations, ComeFromAnnotationSignalsOnly) {
    EDFBuilder file;
    file.records = 2;
    file.reserved = "EDF+D";
    file.recordDuration = "0.00";
    file.signals = {
        annotationSignal(20, {annotationList("+0", {}, {}) + annotationList("+3", "2", {"A"}),
                              annotationList("+0", {}, {}) + annotationList("+9", {}, {"B"})}),
        flowSignal({7, 8}, 1)};
    file.signals[0].label = "edf annotations";
    const EDFDocument document = parseEDFBytes(file.bytes(), "n.edf", true);
    EXPECT_EQ(document.annotations, (std::vector<EDFAnnotation>{{3.0, 2.0, "A"}, {9.0, {}, "B"}}));
    ASSERT_EQ(document.signals.size(), 1u);
    EXPECT_EQ(document.signals[0].label, "Flow.40ms");
    EXPECT_EQ(document.duration, 0.0);
}

TEST(EDFFiles, ReadsFromDiskAndPassesFileErrorsThrough) {
    const testing::TemporaryFolder folder;
    const std::string bytes = oneSignalFile().bytes();
    const auto path = folder.write("20230821_223000_BRP.edf", bytes);
    EXPECT_EQ(parseEDF(path, true), parseEDFBytes(bytes, "x", true));

    const auto empty = folder.write("empty.edf", "");
    try {
        parseEDF(empty, true);
        ADD_FAILURE() << "an empty file was read";
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.message(), "empty.edf est incomplet");
    }
    const auto errorCode = [](const std::filesystem::path& file) {
        try {
            parseEDF(file, false);
        } catch (const PlatformError& error) {
            EXPECT_NE(error.errorDescription().find(file.filename().string()), std::string::npos);
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(errorCode(folder.path() / "missing.edf"), ENOENT);
    EXPECT_EQ(errorCode(folder.makeFolder("DATALOG.edf")), EISDIR);
}

TEST(EDFFiles, ReadsLargeFilesInStretchesAsFromMemory) {
    // Files are read a stretch at a time; records that straddle two stretches, records larger
    // than a stretch and a signal header larger than the first one must come out as from bytes.
    const testing::TemporaryFolder folder;
    EDFBuilder straddling;
    straddling.records = 90;
    straddling.signals = {
        flowSignal({}, 1500), flowSignal({}, 1501),
        annotationSignal(10, std::vector<std::string>(90, annotationList("+1", "2", {"Apnea"})))};
    EDFBuilder huge;
    huge.records = 3;
    huge.signals = {flowSignal({}, 100003), flowSignal({}, 3)};
    EDFBuilder wide;
    wide.records = 2;
    for (int index = 0; index < 512; ++index) {
        wide.signals.push_back(flowSignal({}, index % 3));
    }
    for (EDFBuilder* file : {&straddling, &huge, &wide}) {
        for (EDFTestSignal& signal : file->signals) {
            for (int index = 0; index < signal.samplesPerRecord * file->records; ++index) {
                signal.samples.push_back(static_cast<std::int16_t>(index * 7919));
            }
        }
        const std::string bytes = file->bytes();
        const auto path = folder.write("big.edf", bytes);
        EXPECT_EQ(parseEDF(path, true), parseEDFBytes(bytes, "big.edf", true));
        EXPECT_EQ(parseEDF(path, false), parseEDFBytes(bytes, "big.edf", false));
        const auto cut = folder.write("cut.edf", bytes.substr(0, bytes.size() - 1));
        EXPECT_THROW(parseEDF(cut, true), PAPCardImportError);
        EXPECT_THROW(parseEDF(cut, false), PAPCardImportError);
    }
}

TEST(EDFFiles, HeaderOnlyModeChecksTheHeaderAgainstTheFileLength) {
    const testing::TemporaryFolder folder;
    EDFBuilder file = oneSignalFile();
    const std::string bytes = file.bytes();
    EXPECT_EQ(parseEDF(folder.write("whole.edf", bytes), false).duration, 120.0);
    try {
        parseEDF(folder.write("cut.edf", bytes.substr(0, bytes.size() - 1)), false);
        ADD_FAILURE() << "records beyond the end of the file were counted";
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.message(), "donn\u00e9es tronqu\u00e9es dans cut.edf");
    }
    // The sample counts of 512 signals lie beyond the first bytes read.
    EDFBuilder wide;
    wide.records = 0;
    wide.recordCount = "99999999";
    for (int index = 0; index < 512; ++index) {
        wide.signals.push_back(flowSignal({}, 0));
        wide.signals.back().samplesPerRecordText = index == 511 ? "1" : "0";
    }
    EXPECT_THROW(parseEDF(folder.write("wide.edf", wide.bytes()), false), PAPCardImportError);
    wide.signals.back().samplesPerRecordText = "0";
    EXPECT_EQ(parseEDF(folder.write("wide.edf", wide.bytes()), false).duration, 60 * 99999999.0);

    file.headerSize = std::to_string(bytes.size() + 1);
    try {
        parseEDF(folder.write("short.edf", file.bytes()), false);
        ADD_FAILURE() << "a header larger than its file was read";
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.message(), "en-t\u00eate EDF invalide dans short.edf");
    }
    try {
        parseEDF(folder.write("tiny.edf", bytes.substr(0, 255)), false);
        ADD_FAILURE() << "a 255-byte file was read";
    } catch (const PAPCardImportError& error) {
        EXPECT_EQ(error.message(), "tiny.edf est incomplet");
    }
}

TEST(EDFFiles, ReadsPipesToTheirEnd) {
    // A pipe has no length and no offsets to read at.
    const testing::TemporaryFolder folder;
    const auto fifo = folder.path() / "pipe.edf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes = oneSignalFile().bytes();
    std::thread writer([&] {
        std::ofstream out(fifo, std::ios::binary);
        out << bytes;
    });
    const EDFDocument document = parseEDF(fifo, true);
    writer.join();
    EXPECT_EQ(document, parseEDFBytes(bytes, "pipe.edf", true));
}

// The real card, against what an independent EDF reader made of every file.
class RealCard : public ::testing::Test {
protected:
    static bool close(double actual, double expected, double scale) {
        return std::fabs(actual - expected) <= 1e-9 * std::max({1.0, std::fabs(expected), scale});
    }
};

TEST_F(RealCard, EveryFileReadsInBothModes) {
    VELUNORA_REQUIRE_REAL_CARD(card);
    std::size_t files = 0;
    std::size_t annotations = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(card)) {
        if (entry.path().extension() != ".edf") {
            continue;
        }
        ++files;
        const std::string name = entry.path().filename().string();
        // Three files of a session cut short declare -1 data records (the count is written
        // when the recording ends): invalid by the header rule.
        if (name.starts_with("20230822_224924_")) {
            EXPECT_THROW(parseEDF(entry.path(), false), PAPCardImportError) << name;
            EXPECT_THROW(parseEDF(entry.path(), true), PAPCardImportError) << name;
            continue;
        }
        const EDFDocument header = parseEDF(entry.path(), false);
        const EDFDocument full = parseEDF(entry.path(), true);
        EXPECT_EQ(header.start, full.start) << name;
        EXPECT_EQ(header.duration, full.duration) << name;
        for (const EDFAnnotation& annotation : full.annotations) {
            EXPECT_FALSE(annotation.text.empty());
            EXPECT_TRUE(std::isfinite(annotation.offset));
        }
        if (name.ends_with("_EVE.edf")) {
            EXPECT_FALSE(full.annotations.empty()) << name;
        }
        annotations += full.annotations.size();
    }
    EXPECT_EQ(files, 58u);
    EXPECT_GT(annotations, 0u);
}

TEST_F(RealCard, MatchesThePeerReader) {
    VELUNORA_REQUIRE_REAL_CARD(card);
    // The peer gives starts as the header's wall-clock time; read them in UTC to compare.
    const ScopedTimeZone zone("UTC");
    simdjson::dom::parser parser;
    const simdjson::dom::element peer =
        parser.load((card.parent_path() / "airsense10-peer-values.json").string());
    std::size_t compared = 0;
    for (const simdjson::dom::element entry : peer.get_array()) {
        if (!entry["peer_accepts"].get_bool().value()) {
            continue;
        }
        const std::string file(entry["file"].get_string().value());
        SCOPED_TRACE(file);
        const EDFDocument document = parseEDF(card / file, true);
        const double records = entry["datarecords"].get_double().value();
        EXPECT_EQ(document.duration, records * entry["datarecord_duration_s"].get_double().value());

        std::tm start{};
        ASSERT_TRUE(::strptime(std::string(entry["start"].get_string().value()).c_str(),
                               "%Y-%m-%dT%H:%M:%S", &start));
        EXPECT_EQ(document.start.secondsSince1970, static_cast<double>(::timegm(&start)));

        const simdjson::dom::array signals = entry["signals"].get_array();
        ASSERT_EQ(document.signals.size(), signals.size());
        std::size_t index = 0;
        for (const simdjson::dom::element expected : signals) {
            const EDFSignal& signal = document.signals[index++];
            SCOPED_TRACE(signal.label);
            EXPECT_EQ(signal.label, expected["label"].get_string().value());
            EXPECT_EQ(signal.dimension, expected["dimension"].get_string().value());
            const std::vector<double>& samples = signal.physicalSamples;
            ASSERT_EQ(samples.size(), expected["count"].get_uint64().value());
            double sum = 0.0;
            double magnitude = 0.0;
            for (double sample : samples) {
                sum += sample;
                magnitude += std::fabs(sample);
            }
            EXPECT_TRUE(close(sum, expected["sum"].get_double().value(), magnitude)) << sum;
            if (!samples.empty()) {
                EXPECT_TRUE(close(*std::min_element(samples.begin(), samples.end()),
                                  expected["min"].get_double().value(), 0.0));
                EXPECT_TRUE(close(*std::max_element(samples.begin(), samples.end()),
                                  expected["max"].get_double().value(), 0.0));
            }
            std::size_t position = 0;
            for (const simdjson::dom::element first : expected["first"].get_array()) {
                ASSERT_LT(position, samples.size());
                EXPECT_TRUE(close(samples[position], first.get_double().value(), 0.0)) << position;
                ++position;
            }
        }
        ++compared;
    }
    EXPECT_EQ(compared, 48u);
}

} // namespace
} // namespace velunora
