#pragma once

#include "nights/NightAccumulator.h"
#include "records/Records.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velunora {

struct EDFDocument;
struct EDFSignal;

// Which channel a signal is, and the factor that turns the device's unit into ours.
struct SignalMapping {
    ChannelCode code;
    double factor;

    friend bool operator==(const SignalMapping&, const SignalMapping&) = default;
};

// Points kept per series: flow is drawn in more detail than the summary channels.
inline constexpr std::size_t flowReductionTarget = 1200;
inline constexpr std::size_t channelReductionTarget = 600;

// Recognises a signal by its folded label (case and diacritics removed in the user's locale),
// matched exactly against the known device labels; nothing for any other label.
std::optional<SignalMapping> mapSignal(std::string_view label, std::string_view dimension);

// The usable samples converted: finite, and not negative except for flow.
std::vector<double> signalValues(std::span<const double> physicalSamples, SignalMapping mapping);

// Keeps every n-th sample, n chosen from the kept count so that about the target remains.
std::vector<ChannelPoint> reduceSignal(Date start, double duration,
                                       std::span<const double> physicalSamples,
                                       SignalMapping mapping, std::size_t keptValueCount);

// What one mapped signal of a fully read file gives its night, worked out apart from the night
// so that files can be prepared on any thread and added in reading order.
struct SignalContribution {
    ChannelCode code;
    std::vector<double> values;       // the usable converted values, for kept channels only
    std::vector<ChannelPoint> points; // the reduced series, for detail nights only
};

// Whether a signal of that channel can give the night anything: on other than detail nights
// only the values the night keeps count, so the other signals need not be read at all.
bool contributesToNight(ChannelCode code, bool isDetailNight) noexcept;

// The signal's contribution, taking its samples; nothing when it has no usable value or gives
// the night nothing.
std::optional<SignalContribution> prepareSignal(const EDFDocument& document, EDFSignal&& signal,
                                                SignalMapping mapping, bool isDetailNight);

// Adds a prepared contribution to the night of the session `sessionID`.
void addToNight(SignalContribution&& contribution, std::int64_t sessionID, NightAccumulator& night);

// Feeds one signal of a fully read file into its night: values always, a series for detail
// nights.
void addSignalToNight(const EDFDocument& document, const EDFSignal& signal, std::int64_t sessionID,
                      NightAccumulator& night, bool isDetailNight);

} // namespace velunora
