#include "tools/EDFWriter.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace velunora::cardgen {
namespace {

// Header fields are ASCII, left-aligned and padded with spaces to their width.
void appendField(std::string& out, const std::string& text, std::size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, ' ');
    out += field;
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

std::string writeEDF(const EDFFileSpec& spec) {
    const std::size_t signalCount = spec.signals.size();
    const std::size_t headerSize = 256 + 256 * signalCount;
    std::string out;
    out.reserve(headerSize);
    appendField(out, "0", 8);
    appendField(out, spec.patient, 80);
    appendField(out, spec.recording, 80);
    appendField(out, spec.startDate, 8);
    appendField(out, spec.startTime, 8);
    appendField(out, std::to_string(headerSize), 8);
    appendField(out, spec.reserved, 44);
    appendField(out, std::to_string(spec.recordCount), 8);
    appendField(out, spec.recordDuration, 8);
    appendField(out, std::to_string(signalCount), 4);
    for (const auto& signal : spec.signals) {
        appendField(out, signal.label, 16);
    }
    for (std::size_t i = 0; i < signalCount; ++i) {
        appendField(out, "", 80);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, signal.dimension, 8);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, formatNumber(signal.physicalMinimum), 8);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, formatNumber(signal.physicalMaximum), 8);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, std::to_string(signal.digitalMinimum), 8);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, std::to_string(signal.digitalMaximum), 8);
    }
    for (std::size_t i = 0; i < signalCount; ++i) {
        appendField(out, "", 80);
    }
    for (const auto& signal : spec.signals) {
        appendField(out, std::to_string(signal.samplesPerRecord), 8);
    }
    for (std::size_t i = 0; i < signalCount; ++i) {
        appendField(out, "", 32);
    }

    std::size_t recordSize = 0;
    for (const auto& signal : spec.signals) {
        recordSize += 2 * static_cast<std::size_t>(signal.samplesPerRecord);
    }
    out.reserve(headerSize + recordSize * static_cast<std::size_t>(spec.recordCount));
    for (std::int64_t record = 0; record < spec.recordCount; ++record) {
        for (const auto& signal : spec.signals) {
            const auto blockSize = 2 * static_cast<std::size_t>(signal.samplesPerRecord);
            if (!signal.annotationBlocks.empty()) {
                std::string block = signal.annotationBlocks.at(static_cast<std::size_t>(record));
                if (block.size() > blockSize) {
                    throw std::length_error("annotation block larger than its signal");
                }
                block.resize(blockSize, '\0');
                out += block;
                continue;
            }
            const auto first = static_cast<std::size_t>(record * signal.samplesPerRecord);
            for (std::size_t k = 0; k < static_cast<std::size_t>(signal.samplesPerRecord); ++k) {
                const std::size_t index = first + k;
                const auto value = static_cast<std::uint16_t>(
                    index < signal.samples.size() ? signal.samples[index] : 0);
                out += static_cast<char>(value & 0xFF);
                out += static_cast<char>(value >> 8);
            }
        }
    }
    return out;
}

} // namespace velunora::cardgen
