#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velunora::testing {

// One signal of an EDF file under construction. Header fields are given as the text written into
// them (padded with spaces, cut to the field's width), so a test can write anything there.
struct EDFTestSignal {
    std::string label;
    std::string dimension;
    std::string physicalMinimum = "-100";
    std::string physicalMaximum = "100";
    std::string digitalMinimum = "-32768";
    std::string digitalMaximum = "32767";
    int samplesPerRecord = 0;
    // Written instead of samplesPerRecord when set.
    std::optional<std::string> samplesPerRecordText;
    // Every sample of the signal, record after record; missing ones are written as 0.
    std::vector<std::int16_t> samples;
    // For an annotation signal: the block of each record, padded with 0x00 to 2 × samples.
    std::vector<std::string> annotationBlocks;
};

// An EDF or EDF+ file as bytes.
struct EDFBuilder {
    std::string startDate = "21.08.23";
    std::string startTime = "22.30.00";
    std::string recordDuration = "60";
    std::string reserved;                   // "EDF+C" or "EDF+D" for EDF+
    int records = 1;                        // data records written (and declared by default)
    std::optional<std::string> recordCount; // declared number of data records
    std::optional<std::string> headerSize;  // default: 256 + 256 × number of signals
    std::optional<std::string> signalCount; // default: the number of signals
    std::vector<EDFTestSignal> signals;

    std::string bytes() const;
};

// One time-stamped annotation list: onset, optional duration and texts, ending with 0x14 0x00.
// An empty list of texts gives the time-keeping form "+0\x14\x14\x00".
std::string annotationList(std::string_view onset, std::optional<std::string_view> duration,
                           const std::vector<std::string>& texts);

// The usual EDF+ annotation signal of `samplesPerRecord` samples with one block per record.
EDFTestSignal annotationSignal(int samplesPerRecord, std::vector<std::string> blocks);

} // namespace velunora::testing
