#include "cardimport/EDFReader.h"

#include "cardimport/PAPCardImportError.h"
#include "platform/FileDescriptor.h"
#include "platform/LocalCalendar.h"
#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <locale.h>
#include <memory>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {
namespace {

constexpr std::size_t fixedHeaderSize = 256;
constexpr std::size_t signalHeaderSize = 256; // per signal, all columns together
constexpr std::int64_t maximumSignalCount = 512;

constexpr char durationMark = 0x15;
constexpr char textMark = 0x14;

std::size_t saturatingAdd(std::size_t a, std::size_t b) noexcept {
    std::size_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::size_t>::max() : sum;
}

std::size_t saturatingMultiply(std::size_t a, std::size_t b) noexcept {
    std::size_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::size_t>::max()
                                                  : product;
}

// The raw bytes of a field, or nothing when it reaches past the end.
std::string_view fieldBytes(std::string_view bytes, std::size_t offset, std::size_t width) {
    if (offset > bytes.size() || width > bytes.size() - offset) {
        return {};
    }
    return bytes.substr(offset, width);
}

std::string textOf(std::string_view raw) {
    if (const auto ascii = text::trimmedASCII(raw)) {
        return std::string(*ascii);
    }
    return std::string(text::trimmed(text::repairedUTF8(raw)));
}

// `parse` applied to the text of a field. Numeric fields are ASCII in practice, and then their
// text is a view of the bytes themselves: nothing is copied.
template <typename Parse> auto parseText(std::string_view raw, Parse parse) {
    if (const auto ascii = text::trimmedASCII(raw)) {
        return parse(*ascii);
    }
    const std::string decoded = textOf(raw);
    return parse(std::string_view(decoded));
}

std::optional<double> readNumberField(std::string_view bytes, std::size_t offset,
                                      std::size_t width) {
    return parseText(fieldBytes(bytes, offset, width), parseEDFNumber);
}

std::optional<std::int64_t> readOptionalInteger(std::string_view bytes, std::size_t offset,
                                                std::size_t width) {
    return parseText(fieldBytes(bytes, offset, width), parseEDFInteger);
}

std::vector<std::string> readTextColumn(std::string_view bytes, std::size_t& cursor,
                                        std::size_t width, std::size_t count) {
    std::vector<std::string> column;
    column.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        column.push_back(
            readTextField(bytes, saturatingAdd(cursor, saturatingMultiply(index, width)), width));
    }
    cursor = saturatingAdd(cursor, saturatingMultiply(width, count));
    return column;
}

bool equalsIgnoringASCIICase(std::string_view text, std::string_view lowerCase) noexcept {
    return text.size() == lowerCase.size() &&
           std::equal(text.begin(), text.end(), lowerCase.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) == b;
           });
}

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) noexcept {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// strtod accepts "nan" followed by an optional "(" [A-Za-z0-9_]* ")".
bool isNaNText(std::string_view text) noexcept {
    if (text.size() < 3 || !equalsIgnoringASCIICase(text.substr(0, 3), "nan")) {
        return false;
    }
    std::string_view payload = text.substr(3);
    if (payload.empty()) {
        return true;
    }
    if (payload.size() < 2 || payload.front() != '(' || payload.back() != ')') {
        return false;
    }
    payload = payload.substr(1, payload.size() - 2);
    return std::all_of(payload.begin(), payload.end(), [](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    });
}

// For the rare text whose value overflows to infinity or underflows to zero, where from_chars
// reports an error but the C library's rounding is the answer wanted. The C locale object is
// made for this one call, so nothing is shared between threads.
double cLocaleStrtod(std::string_view unsignedText) {
    const std::string copy(unsignedText);
    const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double value = ::strtod_l(copy.c_str(), nullptr, cLocale);
    ::freelocale(cLocale);
    return value;
}

std::optional<double> parseUnsignedNumber(std::string_view text) {
    if (equalsIgnoringASCIICase(text, "inf") || equalsIgnoringASCIICase(text, "infinity")) {
        return std::numeric_limits<double>::infinity();
    }
    if (isNaNText(text)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    std::string_view digits = text;
    auto format = std::chars_format::general;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits = text.substr(2);
        format = std::chars_format::hex;
        if (digits.empty() || !(isHexDigit(digits[0]) || digits[0] == '.')) {
            return std::nullopt;
        }
    } else if (digits.empty() || !(isDigit(digits[0]) || digits[0] == '.')) {
        return std::nullopt; // from_chars would take a second sign
    }
    double value = 0.0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, format);
    if (stop != end) {
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range) {
        return cLocaleStrtod(text);
    }
    if (error != std::errc()) {
        return std::nullopt;
    }
    return value;
}

[[noreturn]] void throwTruncated(std::string_view fileName) {
    throw PAPCardImportError::unreadable(
        localized("PAPCardImportError", "données tronquées dans ") + std::string(fileName));
}

// The bytes of one data record from the sample counts of the `signalCount` signals
// (`samplesOf(index)`), once the `records` records are known to fit in the `dataLength` bytes
// after the header; the truncation error otherwise. A negative count cannot be laid out once
// there are records. Both modes check this: a header-only read must not report a duration that
// the file's records do not hold.
template <typename SamplesOf>
std::size_t checkedRecordSize(std::size_t dataLength, std::string_view fileName,
                              std::size_t records, std::size_t signalCount, SamplesOf samplesOf) {
    std::size_t bytesPerRecord = 0;
    for (std::size_t index = 0; index < signalCount; ++index) {
        const std::int64_t samples = samplesOf(index);
        if (samples < 0) {
            if (records > 0) {
                throwTruncated(fileName);
            }
            continue;
        }
        bytesPerRecord =
            saturatingAdd(bytesPerRecord, saturatingMultiply(2, static_cast<std::size_t>(samples)));
    }
    std::size_t dataSize = 0;
    if (__builtin_mul_overflow(records, bytesPerRecord, &dataSize) || dataSize > dataLength) {
        throwTruncated(fileName);
    }
    return bytesPerRecord;
}

// Up to `count` bytes from `offset`, fewer only where the file ends. The file is read rather than
// mapped: a card pulled out during the read makes read() fail with EIO, which becomes the file's
// read error, where a mapping would raise SIGBUS and end the program.
std::size_t readAt(int descriptor, const std::filesystem::path& path, char* destination,
                   std::size_t count, std::size_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(descriptor, destination + done, count - done,
                                    static_cast<off_t>(offset + done));
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw PlatformError::fileUnreadable(path, errno);
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// A pipe or a character device has no length to ask for and no offsets: read it to its end.
std::string readToEnd(int descriptor, const std::filesystem::path& path) {
    std::string contents;
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
        if (count == 0) {
            return contents;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw PlatformError::fileUnreadable(path, errno);
        }
        contents.append(chunk, static_cast<std::size_t>(count));
    }
}

struct FixedHeader {
    Date start;
    double duration = 0.0;
    std::size_t headerSize = 0;
    std::size_t recordCount = 0;
    std::size_t signalCount = 0;
};

// The checks of the fixed header, in order. `head` holds the file's first 256 bytes, or all of
// them when the file, `length` bytes long, is shorter; nothing beyond is needed.
FixedHeader readFixedHeader(std::string_view head, std::size_t length, std::string_view fileName) {
    if (length < fixedHeaderSize) {
        throw PAPCardImportError::unreadable(std::string(fileName) +
                                             localized("PAPCardImportError", " est incomplet"));
    }
    const std::int64_t headerSize = readIntegerField(head, 184, 8);
    const std::int64_t recordCount = readIntegerField(head, 236, 8);
    const double recordDuration = readNumberField(head, 244, 8).value_or(-1.0);
    const std::int64_t signalCount = readIntegerField(head, 252, 4);
    const bool headerIsValid = headerSize >= static_cast<std::int64_t>(fixedHeaderSize) &&
                               static_cast<std::uint64_t>(headerSize) <= length &&
                               recordCount >= 0 && recordDuration >= 0.0 && signalCount >= 1 &&
                               signalCount <= maximumSignalCount &&
                               // "inf" reads as a number, but no recording lasts for ever.
                               std::isfinite(recordDuration * static_cast<double>(recordCount));
    if (!headerIsValid) {
        throw PAPCardImportError::unreadable(
            localized("PAPCardImportError", "en-tête EDF invalide dans ") + std::string(fileName));
    }
    FixedHeader header;
    header.start =
        parseEDFStartDate(readTextField(head, 168, 8), readTextField(head, 176, 8), fileName);
    header.duration = recordDuration * static_cast<double>(recordCount);
    header.headerSize = static_cast<std::size_t>(headerSize);
    header.recordCount = static_cast<std::size_t>(recordCount);
    header.signalCount = static_cast<std::size_t>(signalCount);
    // The signal header columns come next, and reading them cannot fail: header-only mode
    // skips them.
    if (header.headerSize < fixedHeaderSize + signalHeaderSize * header.signalCount) {
        throw PAPCardImportError::unreadable(
            localized("PAPCardImportError", "description EDF invalide"));
    }
    return header;
}

// Per signal, the widths of the header columns before the samples-per-record one: label,
// transducer type, dimension, the four ranges and prefiltering.
constexpr std::size_t columnsBeforeSampleCounts = 16 + 80 + 8 + 4 * 8 + 80;
constexpr std::size_t sampleCountWidth = 8;

// Header-only mode's check of the declared records against the file's `length`, which needs
// only the samples-per-record column: `counts`, the bytes of that column.
void checkDeclaredRecords(std::string_view counts, const FixedHeader& header, std::size_t length,
                          std::string_view fileName) {
    checkedRecordSize(length - header.headerSize, fileName, header.recordCount, header.signalCount,
                      [&](std::size_t index) {
                          return readOptionalInteger(counts, index * sampleCountWidth,
                                                     sampleCountWidth)
                              .value_or(0);
                      });
}

struct SignalHeader {
    std::string label;
    std::string dimension;
    double physicalMinimum = 0.0;
    double physicalMaximum = 0.0;
    double digitalMinimum = 0.0;
    double digitalMaximum = 0.0;
    std::int64_t samplesPerRecord = 0;
    bool isAnnotation = false;
};

std::vector<SignalHeader> readSignalHeaders(std::string_view bytes, std::size_t signalCount) {
    std::size_t cursor = fixedHeaderSize;
    std::vector<std::string> labels = readTextColumn(bytes, cursor, 16, signalCount);
    cursor = saturatingAdd(cursor, 80 * signalCount); // transducer type
    std::vector<std::string> dimensions = readTextColumn(bytes, cursor, 8, signalCount);
    const std::vector<double> physicalMinima = readDoubleColumn(bytes, cursor, 8, signalCount);
    const std::vector<double> physicalMaxima = readDoubleColumn(bytes, cursor, 8, signalCount);
    const std::vector<double> digitalMinima = readDoubleColumn(bytes, cursor, 8, signalCount);
    const std::vector<double> digitalMaxima = readDoubleColumn(bytes, cursor, 8, signalCount);
    cursor = saturatingAdd(cursor, 80 * signalCount); // prefiltering
    const std::vector<std::int64_t> samples = readIntegerColumn(bytes, cursor, 8, signalCount);

    // The locale is read once for the file, not once per label.
    const text::CaseInsensitiveSearch annotationLabel("Annotations");
    std::vector<SignalHeader> headers(signalCount);
    for (std::size_t index = 0; index < signalCount; ++index) {
        SignalHeader& header = headers[index];
        header.label = std::move(labels[index]);
        header.dimension = std::move(dimensions[index]);
        header.physicalMinimum = physicalMinima[index];
        header.physicalMaximum = physicalMaxima[index];
        header.digitalMinimum = digitalMinima[index];
        header.digitalMaximum = digitalMaxima[index];
        header.samplesPerRecord = samples[index];
        header.isAnnotation = annotationLabel.isFoundIn(header.label);
    }
    return headers;
}

double scaleOf(const SignalHeader& header) noexcept {
    return (header.physicalMaximum - header.physicalMinimum) /
           (header.digitalMaximum - header.digitalMinimum);
}
double offsetOf(const SignalHeader& header, double scale) noexcept {
    return header.physicalMinimum - header.digitalMinimum * scale;
}

// A signal whose digital range is empty cannot be scaled and is left out of the document; so is
// one whose limits ("inf", "nan", 1e308) would turn a sample into a value that is not a finite
// number, which no statistic and no published document can hold.
bool isScalable(const SignalHeader& header) noexcept {
    if (header.digitalMaximum == header.digitalMinimum) {
        return false;
    }
    const double scale = scaleOf(header);
    const double offset = offsetOf(header, scale);
    return std::isfinite(offset + scale * -32768.0) && std::isfinite(offset + scale * 32767.0);
}

std::int16_t fromLittleEndian(std::int16_t stored) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        return stored;
    } else {
        const auto bits = static_cast<std::uint16_t>(stored);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>((bits << 8) | (bits >> 8)));
    }
}

// The physical values of one block of `count` little-endian samples, written at `physical`.
// Each value is offset + scale × raw in separate double operations in this order (the build
// never fuses them), so the last bit is the same on every build and matches other EDF readers.
void convertBlock(const char* block, std::size_t count, double scale, double offset,
                  double* physical) noexcept {
    // Samples go through a small local array in fixed-size groups: the compiler then knows
    // that the stores cannot touch the bytes still to be read, and vectorises the group.
    constexpr std::size_t group = 16;
    std::size_t index = 0;
    for (; index + group <= count; index += group) {
        std::int16_t raw[group];
        std::memcpy(raw, block + 2 * index, sizeof raw);
        for (std::size_t k = 0; k < group; ++k) {
            const double product = scale * static_cast<double>(fromLittleEndian(raw[k]));
            physical[index + k] = offset + product;
        }
    }
    for (; index < count; ++index) {
        std::int16_t raw = 0;
        std::memcpy(&raw, block + 2 * index, sizeof raw);
        const double product = scale * static_cast<double>(fromLittleEndian(raw));
        physical[index] = offset + product;
    }
}

void appendAnnotations(std::string_view bytes, std::vector<EDFAnnotation>& annotations) {
    std::size_t talStart = 0;
    while (talStart < bytes.size()) {
        const std::size_t talEnd = std::min(bytes.find('\0', talStart), bytes.size());
        const std::string_view tal = bytes.substr(talStart, talEnd - talStart);
        talStart = talEnd + 1;
        if (tal.empty()) {
            continue;
        }

        const std::size_t mark = tal.find_first_of(std::string_view("\x14\x15", 2));
        if (mark == std::string_view::npos) {
            continue;
        }
        const std::optional<double> onset = parseEDFNumber(tal.substr(0, mark));
        if (!onset || !std::isfinite(*onset)) {
            continue;
        }
        std::optional<double> duration;
        std::size_t textsStart = mark;
        if (tal[mark] == durationMark) {
            if (mark + 1 == tal.size()) {
                continue;
            }
            const std::size_t durationEnd = tal.find(textMark, mark + 1);
            if (durationEnd == std::string_view::npos) {
                continue;
            }
            duration = parseText(tal.substr(mark + 1, durationEnd - mark - 1), parseEDFNumber);
            if (duration && !std::isfinite(*duration)) {
                duration.reset();
            }
            textsStart = durationEnd;
        }
        textsStart = tal.find_first_not_of(textMark, textsStart);
        if (textsStart == std::string_view::npos) {
            continue; // the time-keeping list that opens every record
        }

        std::size_t pieceStart = textsStart;
        while (pieceStart < tal.size()) {
            const std::size_t pieceEnd = std::min(tal.find(textMark, pieceStart), tal.size());
            if (pieceEnd > pieceStart) {
                std::string text = textOf(tal.substr(pieceStart, pieceEnd - pieceStart));
                if (!text.empty()) {
                    annotations.push_back({*onset, duration, std::move(text)});
                }
            }
            pieceStart = pieceEnd + 1;
        }
    }
}

// Fresh memory for a signal's samples costs a page fault per page when the samples are first
// written, and faults are dear (in a virtual machine above all); asking the kernel for all the
// pages in one call is cheaper. Worth a call only for large arrays; an older kernel without
// MADV_POPULATE_WRITE refuses it, and the pages are then faulted in as usual.
void prefault(void* data, std::size_t size) noexcept {
    if (size < (std::size_t{1} << 18)) {
        return;
    }
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t last = (start + size) / page * page;
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
}

// How the data records are laid out, and what becomes of each signal's block in a record: it
// is converted into the signal's samples, or read as annotations.
struct RecordPlan {
    struct Reading {
        std::size_t offsetInRecord;
        std::size_t samples;
        double scale;
        double offset;
        std::vector<double>* physical; // null for an annotation signal
    };
    std::size_t bytesPerRecord = 0;
    std::size_t records = 0;
    std::vector<Reading> readings;
};

// Checks that the declared records fit in the `dataLength` bytes that follow the header, and
// puts the signals into the document with room for all their samples. The layout is the same
// for every record, so this is known before anything is read or reserved, and what is
// reserved is bounded by the file's length.
RecordPlan planRecords(std::size_t dataLength, std::string_view fileName, std::size_t records,
                       std::vector<SignalHeader>& headers, const EDFSignalSelection* selected,
                       EDFDocument& document) {
    RecordPlan plan;
    plan.records = records;
    plan.bytesPerRecord =
        checkedRecordSize(dataLength, fileName, records, headers.size(),
                          [&](std::size_t index) { return headers[index].samplesPerRecord; });

    document.signals.reserve(headers.size());
    std::size_t offsetInRecord = 0;
    for (SignalHeader& header : headers) {
        const auto samples =
            static_cast<std::size_t>(std::max<std::int64_t>(header.samplesPerRecord, 0));
        const std::size_t blockOffset = offsetInRecord;
        offsetInRecord += 2 * samples;
        if (header.isAnnotation) {
            if (samples > 0) {
                plan.readings.push_back({blockOffset, samples, 0.0, 0.0, nullptr});
            }
            continue;
        }
        if (!isScalable(header) || (selected && !(*selected)(header.label, header.dimension))) {
            continue;
        }
        EDFSignal& signal = document.signals.emplace_back(
            EDFSignal{std::move(header.label), std::move(header.dimension), {}});
        if (samples > 0 && records > 0) {
            signal.physicalSamples.reserve(samples * records);
            prefault(signal.physicalSamples.data(), samples * records * sizeof(double));
            const double scale = scaleOf(header);
            const double offset = offsetOf(header, scale);
            plan.readings.push_back({blockOffset, samples, scale, offset, &signal.physicalSamples});
        }
    }
    return plan;
}

// `count` whole records from `data`, in file order, after those already decoded.
void decodeRecords(const char* data, std::size_t count, const RecordPlan& plan,
                   EDFDocument& document) {
    for (std::size_t record = 0; record < count; ++record) {
        const char* recordStart = data + record * plan.bytesPerRecord;
        for (const RecordPlan::Reading& reading : plan.readings) {
            const char* block = recordStart + reading.offsetInRecord;
            if (reading.physical) {
                std::vector<double>& physical = *reading.physical;
                const std::size_t end = physical.size();
                // Within the capacity reserved: the zeroes are written to lines about to be
                // overwritten, which the cache already holds.
                physical.resize(end + reading.samples);
                convertBlock(block, reading.samples, reading.scale, reading.offset,
                             physical.data() + end);
            } else {
                appendAnnotations({block, 2 * reading.samples}, document.annotations);
            }
        }
    }
}

} // namespace

std::string readTextField(std::string_view bytes, std::size_t offset, std::size_t width) {
    return textOf(fieldBytes(bytes, offset, width));
}

std::int64_t readIntegerField(std::string_view bytes, std::size_t offset, std::size_t width) {
    return readOptionalInteger(bytes, offset, width).value_or(-1);
}

std::vector<double> readDoubleColumn(std::string_view bytes, std::size_t& cursor, std::size_t width,
                                     std::size_t count) {
    std::vector<double> column;
    column.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        column.push_back(
            readNumberField(bytes, saturatingAdd(cursor, saturatingMultiply(index, width)), width)
                .value_or(0.0));
    }
    cursor = saturatingAdd(cursor, saturatingMultiply(width, count));
    return column;
}

std::vector<std::int64_t> readIntegerColumn(std::string_view bytes, std::size_t& cursor,
                                            std::size_t width, std::size_t count) {
    std::vector<std::int64_t> column;
    column.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        column.push_back(readOptionalInteger(
                             bytes, saturatingAdd(cursor, saturatingMultiply(index, width)), width)
                             .value_or(0));
    }
    cursor = saturatingAdd(cursor, saturatingMultiply(width, count));
    return column;
}

std::optional<std::int64_t> parseEDFInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || !isDigit(text.front())) {
            return std::nullopt;
        }
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseEDFNumber(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    const std::optional<double> magnitude = parseUnsignedNumber(text);
    if (!magnitude) {
        return std::nullopt;
    }
    return negative ? -*magnitude : *magnitude;
}

Date parseEDFStartDate(std::string_view dateText, std::string_view timeText,
                       std::string_view fileName) {
    const auto invalid = [&] {
        return PAPCardImportError::unreadable(
            localized("PAPCardImportError", "date EDF invalide dans ") + std::string(fileName));
    };
    const auto numbers = [](std::string_view text) {
        std::vector<std::int64_t> values;
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t dot = std::min(text.find('.', start), text.size());
            if (dot > start) {
                if (const auto value = parseEDFInteger(text.substr(start, dot - start))) {
                    values.push_back(*value);
                }
            }
            start = dot + 1;
        }
        return values;
    };
    const std::vector<std::int64_t> date = numbers(dateText);
    const std::vector<std::int64_t> time = numbers(timeText);
    if (date.size() != 3 || time.size() != 3) {
        throw invalid();
    }
    // EDF keeps two digits of the year and the clipping date 1985: 85 to 99 are the 1900s.
    std::int64_t year = 0;
    if (__builtin_add_overflow(date[2], date[2] > 84 ? 1900 : 2000, &year)) {
        throw invalid();
    }
    const auto instant = calendar::compose({year, date[1], date[0], time[0], time[1], time[2]});
    if (!instant) {
        throw invalid();
    }
    return *instant;
}

std::vector<EDFAnnotation> parseAnnotationBlock(std::string_view bytes) {
    std::vector<EDFAnnotation> annotations;
    appendAnnotations(bytes, annotations);
    return annotations;
}

namespace {

EDFDocument readBytes(std::string_view bytes, std::string_view fileName, bool includeSamples,
                      const EDFSignalSelection* selected) {
    const FixedHeader header = readFixedHeader(bytes, bytes.size(), fileName);
    EDFDocument document;
    document.start = header.start;
    document.duration = header.duration;
    if (includeSamples) {
        std::vector<SignalHeader> headers = readSignalHeaders(bytes, header.signalCount);
        const RecordPlan plan = planRecords(bytes.size() - header.headerSize, fileName,
                                            header.recordCount, headers, selected, document);
        decodeRecords(bytes.data() + header.headerSize, plan.records, plan, document);
    } else {
        checkDeclaredRecords(
            bytes.substr(fixedHeaderSize + columnsBeforeSampleCounts * header.signalCount), header,
            bytes.size(), fileName);
    }
    return document;
}

EDFDocument readFile(const std::filesystem::path& file, bool includeSamples,
                     const EDFSignalSelection* selected) {
    const std::string fileName = file.filename().string();
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        throw PlatformError::fileUnreadable(file, errno);
    }
    const FileDescriptor closer(descriptor);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        throw PlatformError::fileUnreadable(file, errno);
    }
    if (S_ISDIR(status.st_mode)) {
        throw PlatformError::fileUnreadable(file, EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return readBytes(readToEnd(descriptor, file), fileName, includeSamples, selected);
    }
    // Bytes the file gains after this are not read; one that shrinks is as long as what can
    // still be read of it.
    const auto length = static_cast<std::size_t>(status.st_size);
    if (!includeSamples) {
        // Header-only mode reads the fixed header and the samples-per-record column, and checks
        // the declared records against the file's length; nothing of the data is read. One read
        // holds both for files of up to seventeen signals. Without readahead: the kernel would
        // otherwise fetch some hundred kilobytes of data records from the card for each header.
        ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_RANDOM);
        char head[4096];
        const std::size_t wanted = std::min(length, sizeof head);
        const std::size_t got = readAt(descriptor, file, head, wanted, 0);
        const std::size_t fileLength = got < wanted ? got : length;
        const FixedHeader header = readFixedHeader({head, got}, fileLength, fileName);
        // Within the header, which the file holds: its size was checked against the length.
        const std::size_t countsOffset =
            fixedHeaderSize + columnsBeforeSampleCounts * header.signalCount;
        const std::size_t countsSize = sampleCountWidth * header.signalCount;
        if (countsOffset + countsSize <= got) {
            checkDeclaredRecords({head + countsOffset, countsSize}, header, fileLength, fileName);
        } else {
            const auto counts = std::make_unique_for_overwrite<char[]>(countsSize);
            const std::size_t read =
                readAt(descriptor, file, counts.get(), countsSize, countsOffset);
            checkDeclaredRecords({counts.get(), read}, header, fileLength, fileName);
        }
        EDFDocument document;
        document.start = header.start;
        document.duration = header.duration;
        return document;
    }

    // The file is read a stretch at a time into one buffer that stays in the cache, rather than
    // whole into fresh memory that must be faulted in and is read once. The first stretch holds
    // the header and, for most files, every record. The buffer is not zeroed: only bytes read
    // into it are used.
    constexpr std::size_t stretchSize = 128 * 1024;
    std::size_t bufferSize = stretchSize;
    auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    const std::size_t wanted = std::min(length, stretchSize);
    const std::size_t got = readAt(descriptor, file, buffer.get(), wanted, 0);
    const std::size_t fileLength = got < wanted ? got : length;
    const FixedHeader header = readFixedHeader({buffer.get(), got}, fileLength, fileName);

    std::vector<SignalHeader> headers;
    const std::size_t descriptionSize = fixedHeaderSize + signalHeaderSize * header.signalCount;
    if (descriptionSize <= got) {
        headers = readSignalHeaders({buffer.get(), got}, header.signalCount);
    } else {
        const auto description = std::make_unique_for_overwrite<char[]>(descriptionSize);
        const std::size_t described =
            readAt(descriptor, file, description.get(), descriptionSize, 0);
        headers = readSignalHeaders({description.get(), described}, header.signalCount);
    }

    EDFDocument document;
    document.start = header.start;
    document.duration = header.duration;
    const RecordPlan plan = planRecords(fileLength - header.headerSize, fileName,
                                        header.recordCount, headers, selected, document);
    if (plan.readings.empty()) {
        return document;
    }
    std::size_t decoded = 0;
    if (got > header.headerSize) {
        decoded = std::min(plan.records, (got - header.headerSize) / plan.bytesPerRecord);
        decodeRecords(buffer.get() + header.headerSize, decoded, plan, document);
    }
    const std::size_t recordsPerStretch =
        std::max<std::size_t>(1, stretchSize / plan.bytesPerRecord);
    if (decoded < plan.records && recordsPerStretch * plan.bytesPerRecord > bufferSize) {
        bufferSize = recordsPerStretch * plan.bytesPerRecord;
        buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
    }
    while (decoded < plan.records) {
        const std::size_t count = std::min(plan.records - decoded, recordsPerStretch);
        const std::size_t size = count * plan.bytesPerRecord;
        if (readAt(descriptor, file, buffer.get(), size,
                   header.headerSize + decoded * plan.bytesPerRecord) < size) {
            throwTruncated(fileName); // the file shrank while it was read
        }
        decodeRecords(buffer.get(), count, plan, document);
        decoded += count;
    }
    return document;
}

} // namespace

EDFDocument parseEDFBytes(std::string_view bytes, std::string_view fileName, bool includeSamples) {
    return readBytes(bytes, fileName, includeSamples, nullptr);
}

EDFDocument parseEDFBytes(std::string_view bytes, std::string_view fileName,
                          const EDFSignalSelection& selected) {
    return readBytes(bytes, fileName, true, selected ? &selected : nullptr);
}

EDFDocument parseEDF(const std::filesystem::path& file, bool includeSamples) {
    return readFile(file, includeSamples, nullptr);
}

EDFDocument parseEDF(const std::filesystem::path& file, const EDFSignalSelection& selected) {
    return readFile(file, true, selected ? &selected : nullptr);
}

} // namespace velunora
