// The JSON form of the snapshot is stable: any document the decoder takes encodes, reads back and
// encodes again to the same bytes. The same bytes, read as doubles and put in the number fields
// of a night, must read back to the same values and encode again to the same bytes, so that no
// number the encoder writes is one the next sync cannot read.
#include "records/SnapshotJSON.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace velunora;

const SnapshotEncoder encoder = makeSnapshotEncoder();

void checkDecodedDocument(std::string_view text) {
    OscarSnapshot decoded;
    try {
        decoded = decodeSnapshot(text);
    } catch (const SnapshotDecodingError&) {
        return;
    }
    const std::string first = encoder.encode(decoded);
    if (encoder.encode(decodeSnapshot(first)) != first) {
        __builtin_trap();
    }
}

void checkNumbers(const std::uint8_t* data, std::size_t size) {
    std::vector<double> values;
    for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data + at, sizeof value);
        if (std::isfinite(value)) {
            values.push_back(value);
        }
    }
    if (values.empty()) {
        return;
    }
    NightSummary night;
    night.date = Date{1692676800};
    night.sessions = {PAPSession{1, night.date, night.date, 0}};
    night.events = {RespiratoryEvent{1, 1, EventKind::obstructive, night.date, 0}};
    night.channels = {ChannelSeries{1, ChannelCode::leak, {}}};
    double* const fields[] = {&night.totalHours,
                              &night.maskOnHours,
                              &night.ahi,
                              &night.rdi,
                              &night.sessions[0].durationSeconds,
                              &night.events[0].durationSeconds};
    std::optional<double>* const statistics[] = {
        &night.pressureAverage, &night.pressureMinimum, &night.pressureMaximum, &night.pressure95th,
        &night.leakAverage,     &night.leak95th,        &night.leakMaximum,     &night.spo2Average,
        &night.spo2Minimum,     &night.pulseAverage};
    std::size_t next = 0;
    for (double* field : fields) {
        *field = values[next++ % values.size()];
    }
    for (std::optional<double>* statistic : statistics) {
        *statistic = values[next++ % values.size()];
    }
    for (double value : values) {
        night.channels[0].points.push_back(ChannelPoint{night.date, value});
    }
    OscarSnapshot snapshot;
    snapshot.generatedAt = night.date;
    snapshot.nights.push_back(night);

    const std::string first = encoder.encode(snapshot);
    const OscarSnapshot decoded = decodeSnapshot(first);
    // Equal as numbers, and equal bytes tell -0 from 0.
    if (decoded.nights.size() != 1 || !(decoded.nights[0] == night) ||
        encoder.encode(decoded) != first) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkDecodedDocument(std::string_view(reinterpret_cast<const char*>(data), size));
    checkNumbers(data, size);
    return 0;
}
