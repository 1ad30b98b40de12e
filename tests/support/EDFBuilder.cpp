#include "support/EDFBuilder.h"

#include <cstddef>
#include <utility>

namespace velunora::testing {
namespace {

void appendField(std::string& out, std::string_view text, std::size_t width) {
    const std::size_t kept = std::min(text.size(), width);
    out.append(text.substr(0, kept));
    out.append(width - kept, ' ');
}

template <typename Field>
void appendColumn(std::string& out, const std::vector<EDFTestSignal>& signals, std::size_t width,
                  Field field) {
    for (const EDFTestSignal& signal : signals) {
        appendField(out, field(signal), width);
    }
}

} // namespace

std::string EDFBuilder::bytes() const {
    const std::size_t count = signals.size();
    std::string out;
    appendField(out, "0", 8);
    appendField(out, "X X X X", 80);
    appendField(out, "Startdate X X X X", 80);
    appendField(out, startDate, 8);
    appendField(out, startTime, 8);
    appendField(out, headerSize.value_or(std::to_string(256 + 256 * count)), 8);
    appendField(out, reserved, 44);
    appendField(out, recordCount.value_or(std::to_string(records)), 8);
    appendField(out, recordDuration, 8);
    appendField(out, signalCount.value_or(std::to_string(count)), 4);

    appendColumn(out, signals, 16, [](const EDFTestSignal& s) { return s.label; });
    appendColumn(out, signals, 80, [](const EDFTestSignal&) { return std::string(); });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) { return s.dimension; });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) { return s.physicalMinimum; });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) { return s.physicalMaximum; });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) { return s.digitalMinimum; });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) { return s.digitalMaximum; });
    appendColumn(out, signals, 80, [](const EDFTestSignal&) { return std::string(); });
    appendColumn(out, signals, 8, [](const EDFTestSignal& s) {
        return s.samplesPerRecordText.value_or(std::to_string(s.samplesPerRecord));
    });
    appendColumn(out, signals, 32, [](const EDFTestSignal&) { return std::string(); });

    for (int record = 0; record < records; ++record) {
        for (const EDFTestSignal& signal : signals) {
            const auto perRecord = static_cast<std::size_t>(std::max(signal.samplesPerRecord, 0));
            const auto recordIndex = static_cast<std::size_t>(record);
            if (!signal.annotationBlocks.empty()) {
                std::string block = recordIndex < signal.annotationBlocks.size()
                                        ? signal.annotationBlocks[recordIndex]
                                        : std::string();
                block.resize(2 * perRecord, '\0');
                out += block;
                continue;
            }
            for (std::size_t index = 0; index < perRecord; ++index) {
                const std::size_t sample = recordIndex * perRecord + index;
                const auto value = static_cast<std::uint16_t>(
                    sample < signal.samples.size() ? signal.samples[sample] : 0);
                out.push_back(static_cast<char>(value & 0xFF));
                out.push_back(static_cast<char>(value >> 8));
            }
        }
    }
    return out;
}

std::string annotationList(std::string_view onset, std::optional<std::string_view> duration,
                           const std::vector<std::string>& texts) {
    std::string out(onset);
    if (duration) {
        out += '\x15';
        out += *duration;
    }
    out += '\x14';
    if (texts.empty()) {
        out += '\x14';
    }
    for (const std::string& text : texts) {
        out += text;
        out += '\x14';
    }
    out += '\0';
    return out;
}

EDFTestSignal annotationSignal(int samplesPerRecord, std::vector<std::string> blocks) {
    EDFTestSignal signal;
    signal.label = "EDF Annotations";
    signal.physicalMinimum = "-1";
    signal.physicalMaximum = "1";
    signal.samplesPerRecord = samplesPerRecord;
    signal.annotationBlocks = std::move(blocks);
    return signal;
}

} // namespace velunora::testing
