#pragma once

#include "records/Snapshot.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace velunora {

// The snapshot holds a value that its JSON form cannot carry (a non-finite number, or a date
// outside the years 0000 to 9999). Nothing was written.
class SnapshotEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes are not a snapshot document; no part of it is returned.
class SnapshotDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the document is laid out. What is published is compact: the phone reads it with a JSON
// decoder, and the cloud takes 15 MB a document. The pretty form (two-space indentation,
// `"key" : value`) is for people reading a card's nights on the command line.
enum class SnapshotLayout { compact, pretty };

// Writes the one JSON form of the snapshot: keys sorted, "/" escaped, shortest round-trip
// numbers (an exponent for whole numbers beyond the 64-bit integers, "-0.0" for negative zero),
// RFC 3339 UTC dates without fraction, absent statistics left out. The local export and the
// cloud payload both come from here, so they are byte-identical.
class SnapshotEncoder {
public:
    std::string encode(const OscarSnapshot& snapshot) const;

private:
    friend SnapshotEncoder makeSnapshotEncoder(SnapshotLayout layout);
    explicit SnapshotEncoder(SnapshotLayout layout)
        : layout_(layout) {}
    SnapshotLayout layout_;
};

SnapshotEncoder makeSnapshotEncoder(SnapshotLayout layout = SnapshotLayout::compact);

// Reads a snapshot document; throws SnapshotDecodingError on any fault anywhere in it.
OscarSnapshot decodeSnapshot(std::string_view json);

// The date-time text of the JSON form ("2023-08-22T01:02:03Z"); the fraction is dropped.
// Throws SnapshotEncodingError for non-finite dates or years outside 0000..9999.
std::string formatInternetDate(Date date);

} // namespace velunora
