#pragma once

#include "records/Date.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The reader of EDF and EDF+ recordings. It knows the file format only: what the signals and
// annotations mean is for the session import to decide. Every function here is pure (apart from
// reading the file, the time zone and the locale at call time) and may run on any thread.
//
// The byte arguments are the bytes of a file (or a part of one) held in a std::string_view.
namespace velunora {

// One ordinary signal, its samples over all data records converted to physical values.
struct EDFSignal {
    std::string label;     // trimmed
    std::string dimension; // the physical unit, trimmed
    std::vector<double> physicalSamples;

    friend bool operator==(const EDFSignal&, const EDFSignal&) = default;
};

// One text of an EDF+ time-stamped annotation list.
struct EDFAnnotation {
    double offset = 0.0;            // onset in seconds from EDFDocument::start, may be negative
    std::optional<double> duration; // nothing when the list carries none or it is not a number
    std::string text;               // trimmed, never empty

    friend bool operator==(const EDFAnnotation&, const EDFAnnotation&) = default;
};

struct EDFDocument {
    Date start;                     // the header's start date and time in the current time zone
    double duration = 0.0;          // seconds: record duration × number of data records
    std::vector<EDFSignal> signals; // header order; empty in header-only mode
    std::vector<EDFAnnotation> annotations; // file order; empty in header-only mode

    friend bool operator==(const EDFDocument&, const EDFDocument&) = default;
};

// Reads the file. With `includeSamples` false only the header is validated and read, and the
// document has no signals and no annotations; the data records the header declares must still
// fit in the file's length, as in a full read. Throws PAPCardImportError::unreadable for a
// malformed file, PlatformError when the file cannot be opened, examined or read.
EDFDocument parseEDF(const std::filesystem::path& file, bool includeSamples);

// The same over bytes already in memory, which stand for the whole file; `fileName` goes into
// the error messages.
EDFDocument parseEDFBytes(std::string_view bytes, std::string_view fileName, bool includeSamples);

// Given a signal's trimmed label and dimension, whether a full read should convert its samples.
using EDFSignalSelection = std::function<bool(std::string_view label, std::string_view dimension)>;

// A full read that converts only the ordinary signals `selected` accepts: the document's signals
// are those, in header order, and converting the others is skipped. The checks, the errors and
// the annotations are those of the full read. Called once per ordinary signal, on the calling
// thread; what it throws propagates.
EDFDocument parseEDF(const std::filesystem::path& file, const EDFSignalSelection& selected);
EDFDocument parseEDFBytes(std::string_view bytes, std::string_view fileName,
                          const EDFSignalSelection& selected);

// A header field: its bytes decoded as UTF-8 (invalid sequences replaced by U+FFFD) and trimmed
// of Unicode white space. A field reaching past the end of the bytes reads as empty.
std::string readTextField(std::string_view bytes, std::size_t offset, std::size_t width);

// A header field read as a whole as a signed decimal integer; -1 when unreadable or too large.
std::int64_t readIntegerField(std::string_view bytes, std::size_t offset, std::size_t width);

// `count` consecutive fields of `width` bytes from `cursor`, read as numbers (0 when
// unreadable); the cursor moves past them.
std::vector<double> readDoubleColumn(std::string_view bytes, std::size_t& cursor, std::size_t width,
                                     std::size_t count);

// The same for integer fields, each 0 when unreadable.
std::vector<std::int64_t> readIntegerColumn(std::string_view bytes, std::size_t& cursor,
                                            std::size_t width, std::size_t count);

// The whole text as a signed 64-bit decimal integer: an optional "+" or "-" and ASCII digits.
std::optional<std::int64_t> parseEDFInteger(std::string_view text);

// The whole text as a C-locale floating-point number: optional sign, then decimal digits with
// optional fraction and exponent, "inf", "infinity", "nan", "nan(...)" or a hexadecimal form
// ("0x1.8p3"). No white space is skipped.
std::optional<double> parseEDFNumber(std::string_view text);

// The start instant from the header's "dd.mm.yy" and "hh.mm.ss" texts in the current time zone.
// Throws PAPCardImportError::unreadable("date EDF invalide dans " + fileName).
Date parseEDFStartDate(std::string_view dateText, std::string_view timeText,
                       std::string_view fileName);

// The annotations of one annotation signal's block in one data record.
std::vector<EDFAnnotation> parseAnnotationBlock(std::string_view bytes);

} // namespace velunora
