#include "nights/NightAccumulator.h"

#include <algorithm>
#include <cmath>

namespace velunora {
namespace {

double meanInListOrder(std::span<const double> values) {
    double sum = 0.0;
    for (double value : values) {
        sum += value;
    }
    return sum / static_cast<double>(values.size());
}

// Devices score the same kinds on every night: count them once, in one pass.
struct EventCounts {
    std::int64_t obstructive = 0;
    std::int64_t central = 0;
    std::int64_t hypopnea = 0;
    std::int64_t rera = 0;
    std::int64_t unclassified = 0;
};

EventCounts countEvents(const std::vector<RespiratoryEvent>& events) {
    EventCounts counts;
    for (const RespiratoryEvent& event : events) {
        switch (event.type) {
        case EventKind::obstructive:
            ++counts.obstructive;
            break;
        case EventKind::central:
            ++counts.central;
            break;
        case EventKind::hypopnea:
            ++counts.hypopnea;
            break;
        case EventKind::rera:
            ++counts.rera;
            break;
        case EventKind::unclassified:
            ++counts.unclassified;
            break;
        case EventKind::largeLeak:
        case EventKind::other:
            break;
        }
    }
    return counts;
}

template <typename Record> std::vector<Record> sortedByStart(const std::vector<Record>& records) {
    std::vector<Record> sorted = records;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Record& a, const Record& b) {
        return a.start.secondsSince1970 < b.start.secondsSince1970;
    });
    return sorted;
}

} // namespace

std::span<const double> NightAccumulator::values(ChannelCode code) const noexcept {
    return statistics_[static_cast<std::size_t>(code)];
}

void NightAccumulator::appendValues(ChannelCode code, std::span<const double> values) {
    if (!keepsValues(code)) {
        return;
    }
    auto& list = statistics_[static_cast<std::size_t>(code)];
    list.insert(list.end(), values.begin(), values.end());
}

void NightAccumulator::condenseStatistics() {
    ValueLists released;
    condenseStatistics(released);
}

void NightAccumulator::condenseStatistics(ValueLists& spare) {
    // The values are dropped right after, so the percentile may reorder them where they are.
    std::span<double> pressure = statistics_[static_cast<std::size_t>(ChannelCode::pressure)];
    if (pressure.empty()) {
        pressure = statistics_[static_cast<std::size_t>(ChannelCode::maskPressure)];
    }
    condensed_ =
        computeValueStatistics(pressure, statistics_[static_cast<std::size_t>(ChannelCode::leak)]);
    for (std::size_t code = 0; code < statistics_.size(); ++code) {
        statistics_[code].clear();
        std::swap(statistics_[code], spare[code]);
        statistics_[code] = {};
    }
}

void NightAccumulator::reuseValueLists(ValueLists& spare) noexcept {
    for (std::size_t code = 0; code < statistics_.size(); ++code) {
        spare[code].clear();
        std::swap(statistics_[code], spare[code]);
    }
}

namespace {

double selectPercentile(std::span<double> values, double p) {
    const double last = static_cast<double>(values.size() - 1);
    const double rounded = std::round(p * last);
    std::size_t index = 0;
    if (rounded >= last) {
        index = values.size() - 1;
    } else if (rounded > 0.0) {
        index = static_cast<std::size_t>(rounded);
    }
    // Selecting the one element gives the same value as sorting everything.
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

} // namespace

std::optional<double> percentile(std::span<const double> values, double p) {
    if (values.empty()) {
        return std::nullopt;
    }
    std::vector<double> copy(values.begin(), values.end());
    return selectPercentile(copy, p);
}

NightAccumulator::ValueStatistics NightAccumulator::computeValueStatisticsOfCopies() const {
    // Therapy pressure when the device wrote it, else mask pressure; never a mix of the two.
    std::span<const double> pressure = values(ChannelCode::pressure);
    if (pressure.empty()) {
        pressure = values(ChannelCode::maskPressure);
    }
    const std::span<const double> leak = values(ChannelCode::leak);
    std::vector<double> pressureCopy(pressure.begin(), pressure.end());
    std::vector<double> leakCopy(leak.begin(), leak.end());
    return computeValueStatistics(pressureCopy, leakCopy);
}

// The mean, minimum and maximum are taken before the percentile reorders the values.
NightAccumulator::ValueStatistics
NightAccumulator::computeValueStatistics(std::span<double> pressure, std::span<double> leak) {
    ValueStatistics statistics;
    if (!pressure.empty()) {
        const auto [minimum, maximum] = std::minmax_element(pressure.begin(), pressure.end());
        statistics.pressureAverage = meanInListOrder(pressure);
        statistics.pressureMinimum = *minimum;
        statistics.pressureMaximum = *maximum;
        statistics.pressure95th = selectPercentile(pressure, 0.95);
    }

    if (!leak.empty()) {
        statistics.leakAverage = meanInListOrder(leak);
        statistics.leakMaximum = *std::max_element(leak.begin(), leak.end());
        statistics.leak95th = selectPercentile(leak, 0.95);
    }

    return statistics;
}

NightSummary NightAccumulator::makeSummary() const {
    NightSummary summary;
    summary.date = day_;

    double seconds = 0.0;
    for (const PAPSession& session : sessions_) {
        seconds += session.durationSeconds;
    }
    const double hours = seconds / 3600.0;
    summary.totalHours = hours;
    summary.maskOnHours = hours;

    const EventCounts counts = countEvents(events_);
    summary.obstructiveCount = counts.obstructive;
    summary.centralCount = counts.central;
    summary.hypopneaCount = counts.hypopnea;
    summary.reraCount = counts.rera;
    summary.unclassifiedCount = counts.unclassified;
    const std::int64_t apnoeaHypopnoea =
        counts.obstructive + counts.central + counts.hypopnea + counts.unclassified;
    const std::int64_t disturbances = apnoeaHypopnoea + counts.rera;
    if (hours > 0.0) {
        summary.ahi = static_cast<double>(apnoeaHypopnoea) / hours;
        summary.rdi = static_cast<double>(disturbances) / hours;
    }

    const ValueStatistics statistics = condensed_ ? *condensed_ : computeValueStatisticsOfCopies();
    summary.pressureAverage = statistics.pressureAverage;
    summary.pressureMinimum = statistics.pressureMinimum;
    summary.pressureMaximum = statistics.pressureMaximum;
    summary.pressure95th = statistics.pressure95th;
    summary.leakAverage = statistics.leakAverage;
    summary.leak95th = statistics.leak95th;
    summary.leakMaximum = statistics.leakMaximum;

    summary.isCompliant = hours >= 4.0;
    summary.sessions = sortedByStart(sessions_);
    summary.events = sortedByStart(events_);
    summary.channels = channels_;
    return summary;
}

} // namespace velunora
