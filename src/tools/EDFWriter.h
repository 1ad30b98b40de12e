#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velunora::cardgen {

// One signal of a file to write: header fields and the raw 16-bit samples of every record, or
// for an annotation signal the text of each record's block.
struct EDFSignalSpec {
    std::string label;
    std::string dimension;
    double physicalMinimum = 0;
    double physicalMaximum = 0;
    std::int64_t digitalMinimum = -32768;
    std::int64_t digitalMaximum = 32767;
    std::int64_t samplesPerRecord = 1;
    std::vector<std::int16_t> samples;         // samplesPerRecord x records, in time order
    std::vector<std::string> annotationBlocks; // annotation signals only: one per record
};

struct EDFFileSpec {
    std::string patient = "X X X X";
    std::string recording;
    std::string startDate;        // "dd.mm.yy"
    std::string startTime;        // "hh.mm.ss"
    std::string reserved = "EDF"; // "EDF+D" for the device's event files
    std::int64_t recordCount = 0;
    std::string recordDuration = "60.00";
    std::vector<EDFSignalSpec> signals;
};

// The bytes of the file: the fixed header, the signal header columns, then the data records.
// Annotation blocks are padded with zero bytes to their signal's size.
std::string writeEDF(const EDFFileSpec& spec);

} // namespace velunora::cardgen
