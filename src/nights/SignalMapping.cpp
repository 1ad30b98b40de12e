#include "nights/SignalMapping.h"

#include "cardimport/EDFReader.h"
#include "platform/Text.h"

#include <cmath>

namespace velunora {
namespace {

enum class FactorRule { fixed, litresPerSecondLeak, litresTidalVolume };

struct LabelRow {
    ChannelCode code;
    std::initializer_list<std::string_view> labels;
    FactorRule rule;
    double factor;
};

// Summary-rate (.2s), full-rate (.40ms), descriptive and localised names, tried in this order.
const LabelRow labelTable[] = {
    {ChannelCode::flowRate, {"flow", "flow.40ms"}, FactorRule::fixed, 60.0},
    {ChannelCode::pressure, {"therapy pres", "press.2s"}, FactorRule::fixed, 1.0},
    {ChannelCode::maskPressure,
     {"mask pres", "press.40ms", "maskpress.2s"},
     FactorRule::fixed,
     1.0},
    {ChannelCode::leak,
     {"leak", "leck", "fuites", "fuite", "fuga", "lekk", "lack", "leak.2s"},
     FactorRule::litresPerSecondLeak,
     1.0},
    {ChannelCode::respiratoryRate, {"rr", "af", "fr", "resprate.2s"}, FactorRule::fixed, 1.0},
    {ChannelCode::minuteVentilation, {"mv", "vm", "minvent.2s"}, FactorRule::fixed, 1.0},
    {ChannelCode::tidalVolume, {"vt", "vc", "tidvol.2s"}, FactorRule::litresTidalVolume, 1.0},
    {ChannelCode::flowLimitation, {"ffl index", "flowlim.2s"}, FactorRule::fixed, 1.0},
};

double factorFor(const LabelRow& row, std::string_view dimension) {
    switch (row.rule) {
    case FactorRule::fixed:
        return row.factor;
    case FactorRule::litresPerSecondLeak:
        return text::containsIgnoringCase(dimension, "l/s") ? 60.0 : 1.0;
    case FactorRule::litresTidalVolume:
        return text::containsIgnoringCase(dimension, "ml") ? 1.0 : 1000.0;
    }
    return row.factor;
}

bool isUsable(double value, ChannelCode code) {
    return std::isfinite(value) && (value >= 0.0 || code == ChannelCode::flowRate);
}

// Calls `keep` with every usable converted value, in sample order.
template <typename Keep>
void forEachUsableValue(std::span<const double> physicalSamples, SignalMapping mapping, Keep keep) {
    for (double sample : physicalSamples) {
        if (isUsable(sample, mapping.code)) {
            const double value = sample * mapping.factor;
            // A corrupt header can scale samples close to the double range; an overflowed value
            // would make the night's statistics unpublishable.
            if (std::isfinite(value)) {
                keep(value);
            }
        }
    }
}

} // namespace

std::optional<SignalMapping> mapSignal(std::string_view label, std::string_view dimension) {
    const std::string folded = text::folded(label);
    for (const LabelRow& row : labelTable) {
        for (std::string_view candidate : row.labels) {
            if (folded == candidate) {
                return SignalMapping{row.code, factorFor(row, dimension)};
            }
        }
    }
    return std::nullopt;
}

std::vector<double> signalValues(std::span<const double> physicalSamples, SignalMapping mapping) {
    std::vector<double> values;
    values.reserve(physicalSamples.size());
    forEachUsableValue(physicalSamples, mapping, [&](double value) { values.push_back(value); });
    return values;
}

std::vector<ChannelPoint> reduceSignal(Date start, double duration,
                                       std::span<const double> physicalSamples,
                                       SignalMapping mapping, std::size_t keptValueCount) {
    const std::size_t target =
        mapping.code == ChannelCode::flowRate ? flowReductionTarget : channelReductionTarget;
    const std::size_t step = std::max<std::size_t>(keptValueCount / target, 1);
    const std::size_t sampleCount = physicalSamples.size();
    const double interval = duration / static_cast<double>(std::max<std::size_t>(sampleCount, 1));
    std::vector<ChannelPoint> points;
    points.reserve(keptValueCount / step + 1);
    for (std::size_t i = 0; i < sampleCount; i += step) {
        const double value = physicalSamples[i] * mapping.factor;
        if (isUsable(value, mapping.code)) {
            const double offset = interval * static_cast<double>(i);
            points.push_back(ChannelPoint{Date{start.secondsSince1970 + offset}, value});
        }
    }
    return points;
}

bool contributesToNight(ChannelCode code, bool isDetailNight) noexcept {
    return isDetailNight || NightAccumulator::keepsValues(code);
}

std::optional<SignalContribution> prepareSignal(const EDFDocument& document, EDFSignal&& signal,
                                                SignalMapping mapping, bool isDetailNight) {
    if (!contributesToNight(mapping.code, isDetailNight)) {
        return std::nullopt;
    }
    std::vector<double>& samples = signal.physicalSamples;
    SignalContribution contribution{mapping.code, {}, {}};
    if (isDetailNight) {
        // The stride comes from the count of usable values but walks the physical samples, so
        // the series is made before the samples give way to the values.
        std::size_t keptCount = 0;
        forEachUsableValue(samples, mapping, [&](double) { ++keptCount; });
        if (keptCount == 0) {
            return std::nullopt;
        }
        contribution.points =
            reduceSignal(document.start, document.duration, samples, mapping, keptCount);
    }
    if (NightAccumulator::keepsValues(mapping.code)) {
        // The values overwrite the samples they come from, never one still to be read.
        std::size_t kept = 0;
        forEachUsableValue(samples, mapping, [&](double value) { samples[kept++] = value; });
        if (kept == 0) {
            return std::nullopt;
        }
        samples.resize(kept);
        contribution.values = std::move(samples);
    }
    return contribution;
}

void addToNight(SignalContribution&& contribution, std::int64_t sessionID,
                NightAccumulator& night) {
    if (!contribution.values.empty()) {
        night.appendValues(contribution.code, contribution.values);
    }
    if (!contribution.points.empty()) {
        night.appendSeries(
            ChannelSeries{sessionID, contribution.code, std::move(contribution.points)});
    }
}

void addSignalToNight(const EDFDocument& document, const EDFSignal& signal, std::int64_t sessionID,
                      NightAccumulator& night, bool isDetailNight) {
    const auto mapping = mapSignal(signal.label, signal.dimension);
    if (!mapping) {
        return;
    }
    if (auto contribution = prepareSignal(document, EDFSignal(signal), *mapping, isDetailNight)) {
        addToNight(std::move(*contribution), sessionID, night);
    }
}

} // namespace velunora
