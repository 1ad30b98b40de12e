#include "cardimport/EDFReader.h"

#include "cardimport/PAPCardImportError.h"
#include "platform/LocalCalendar.h"
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
    return std::string(text::trimmed(text::repairedUTF8(raw)));
}

std::optional<double> readNumberField(std::string_view bytes, std::size_t offset,
                                      std::size_t width) {
    return parseEDFNumber(readTextField(bytes, offset, width));
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

[[noreturn]] void throwTruncated(const std::string& fileName) {
    throw PAPCardImportError::unreadable("donn\u00e9es tronqu\u00e9es dans " + fileName);
}

// The file's bytes for the length of one parse: mapped read-only when it is a regular file,
// read into memory otherwise (a pipe or a character device has nothing to map).
class FileBytes {
public:
    explicit FileBytes(const std::filesystem::path& path) {
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            throw PlatformError::fileUnreadable(path, errno);
        }
        const Descriptor closer{descriptor};
        struct stat status {};
        if (::fstat(descriptor, &status) != 0) {
            throw PlatformError::fileUnreadable(path, errno);
        }
        if (S_ISDIR(status.st_mode)) {
            throw PlatformError::fileUnreadable(path, EISDIR);
        }
        if (!S_ISREG(status.st_mode)) {
            readAll(descriptor, path);
            return;
        }
        length_ = static_cast<std::size_t>(status.st_size);
        if (length_ == 0) {
            return; // mmap refuses an empty length
        }
        void* mapping = ::mmap(nullptr, length_, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (mapping == MAP_FAILED) {
            throw PlatformError::fileUnreadable(path, errno);
        }
        mapping_ = mapping;
        ::madvise(mapping_, length_, MADV_SEQUENTIAL);
    }

    ~FileBytes() {
        if (mapping_) {
            ::munmap(mapping_, length_);
        }
    }

    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view bytes() const noexcept {
        if (mapping_) {
            return {static_cast<const char*>(mapping_), length_};
        }
        return buffer_;
    }

private:
    struct Descriptor {
        int value;
        ~Descriptor() { ::close(value); }
    };

    void readAll(int descriptor, const std::filesystem::path& path) {
        char chunk[65536];
        for (;;) {
            const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
            if (count == 0) {
                return;
            }
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw PlatformError::fileUnreadable(path, errno);
            }
            buffer_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    void* mapping_ = nullptr;
    std::size_t length_ = 0;
    std::string buffer_;
};

// Little-endian 16-bit two's complement samples of one block, appended at `destination`.
void copySamples(std::string_view block, std::int16_t* destination) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(destination, block.data(), block.size());
    } else {
        for (std::size_t index = 0; index + 1 < block.size(); index += 2) {
            const auto low = static_cast<std::uint8_t>(block[index]);
            const auto high = static_cast<std::uint8_t>(block[index + 1]);
            destination[index / 2] = static_cast<std::int16_t>(low | (high << 8));
        }
    }
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
    // Where the signal's block starts inside a data record.
    std::size_t offsetInRecord = 0;
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
        header.isAnnotation = text::containsIgnoringCase(header.label, "Annotations");
    }
    return headers;
}

// A signal whose digital range is empty cannot be scaled and is left out of the document.
bool isScalable(const SignalHeader& header) noexcept {
    return header.digitalMaximum != header.digitalMinimum;
}

std::vector<double> physicalValues(const SignalHeader& header,
                                   const std::vector<std::int16_t>& raw) {
    // Separate double operations in this order (never fused), so the last bit is the same on
    // every build and matches other EDF readers.
    const double scale = (header.physicalMaximum - header.physicalMinimum) /
                         (header.digitalMaximum - header.digitalMinimum);
    const double offset = header.physicalMinimum - header.digitalMinimum * scale;
    std::vector<double> values(raw.size());
    for (std::size_t index = 0; index < raw.size(); ++index) {
        const double product = scale * static_cast<double>(raw[index]);
        values[index] = offset + product;
    }
    return values;
}

void readDataRecords(std::string_view bytes, const std::string& fileName, std::size_t headerSize,
                     std::int64_t recordCount, std::vector<SignalHeader>& headers,
                     EDFDocument& document) {
    // The record layout is the same for every record, so whether all declared records fit in
    // the file is known before anything is read or reserved.
    std::size_t bytesPerRecord = 0;
    for (SignalHeader& header : headers) {
        if (header.samplesPerRecord < 0) {
            if (recordCount > 0) {
                throwTruncated(fileName);
            }
            continue;
        }
        header.offsetInRecord = bytesPerRecord;
        bytesPerRecord += 2 * static_cast<std::size_t>(header.samplesPerRecord);
    }
    const auto records = static_cast<std::size_t>(recordCount);
    std::size_t dataSize = 0;
    if (__builtin_mul_overflow(records, bytesPerRecord, &dataSize) ||
        dataSize > bytes.size() - headerSize) {
        throwTruncated(fileName);
    }

    struct Reading {
        const SignalHeader* header;
        std::size_t blockSize;
        std::vector<std::int16_t>* raw; // null for an annotation signal
    };
    std::vector<std::vector<std::int16_t>> rawSamples(headers.size());
    std::vector<Reading> readings;
    for (std::size_t index = 0; index < headers.size(); ++index) {
        const SignalHeader& header = headers[index];
        if (header.samplesPerRecord <= 0 || (!header.isAnnotation && !isScalable(header))) {
            continue;
        }
        const auto samples = static_cast<std::size_t>(header.samplesPerRecord);
        if (!header.isAnnotation) {
            rawSamples[index].resize(samples * records); // bounded by the file's length
        }
        readings.push_back(
            {&header, 2 * samples, header.isAnnotation ? nullptr : &rawSamples[index]});
    }

    if (!readings.empty()) {
        for (std::size_t record = 0; record < records; ++record) {
            const std::size_t recordStart = headerSize + record * bytesPerRecord;
            for (const Reading& reading : readings) {
                const std::string_view block =
                    bytes.substr(recordStart + reading.header->offsetInRecord, reading.blockSize);
                if (reading.raw) {
                    copySamples(block, reading.raw->data() + record * (reading.blockSize / 2));
                } else {
                    std::vector<EDFAnnotation> annotations = parseAnnotationBlock(block);
                    document.annotations.insert(document.annotations.end(),
                                                std::make_move_iterator(annotations.begin()),
                                                std::make_move_iterator(annotations.end()));
                }
            }
        }
    }

    for (std::size_t index = 0; index < headers.size(); ++index) {
        SignalHeader& header = headers[index];
        if (header.isAnnotation || !isScalable(header)) {
            continue;
        }
        std::vector<double> values = physicalValues(header, rawSamples[index]);
        rawSamples[index] = {};
        document.signals.push_back(
            {std::move(header.label), std::move(header.dimension), std::move(values)});
    }
}

} // namespace

std::string readTextField(std::string_view bytes, std::size_t offset, std::size_t width) {
    return textOf(fieldBytes(bytes, offset, width));
}

std::int64_t readIntegerField(std::string_view bytes, std::size_t offset, std::size_t width) {
    return parseEDFInteger(readTextField(bytes, offset, width)).value_or(-1);
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
        const std::string field =
            readTextField(bytes, saturatingAdd(cursor, saturatingMultiply(index, width)), width);
        column.push_back(parseEDFInteger(field).value_or(0));
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
        return PAPCardImportError::unreadable("date EDF invalide dans " + std::string(fileName));
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
        if (!onset) {
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
            duration = parseEDFNumber(textOf(tal.substr(mark + 1, durationEnd - mark - 1)));
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
    return annotations;
}

EDFDocument parseEDFBytes(std::string_view bytes, std::string_view fileName, bool includeSamples) {
    const std::string name(fileName);
    if (bytes.size() < fixedHeaderSize) {
        throw PAPCardImportError::unreadable(name + " est incomplet");
    }
    const std::int64_t headerSize = readIntegerField(bytes, 184, 8);
    const std::int64_t recordCount = readIntegerField(bytes, 236, 8);
    const double recordDuration = readNumberField(bytes, 244, 8).value_or(-1.0);
    const std::int64_t signalCount = readIntegerField(bytes, 252, 4);
    const bool headerIsValid = headerSize >= static_cast<std::int64_t>(fixedHeaderSize) &&
                               static_cast<std::uint64_t>(headerSize) <= bytes.size() &&
                               recordCount >= 0 && recordDuration >= 0.0 && signalCount >= 1 &&
                               signalCount <= maximumSignalCount;
    if (!headerIsValid) {
        throw PAPCardImportError::unreadable("en-t\u00eate EDF invalide dans " + name);
    }
    EDFDocument document;
    document.start =
        parseEDFStartDate(readTextField(bytes, 168, 8), readTextField(bytes, 176, 8), name);
    document.duration = recordDuration * static_cast<double>(recordCount);

    const auto signals = static_cast<std::size_t>(signalCount);
    if (static_cast<std::size_t>(headerSize) < fixedHeaderSize + signalHeaderSize * signals) {
        throw PAPCardImportError::unreadable("description EDF invalide");
    }
    // Reading the signal header columns cannot fail, so header-only mode skips them.
    if (includeSamples) {
        std::vector<SignalHeader> headers = readSignalHeaders(bytes, signals);
        readDataRecords(bytes, name, static_cast<std::size_t>(headerSize), recordCount, headers,
                        document);
    }
    return document;
}

EDFDocument parseEDF(const std::filesystem::path& file, bool includeSamples) {
    const FileBytes contents(file);
    return parseEDFBytes(contents.bytes(), file.filename().string(), includeSamples);
}

} // namespace velunora
