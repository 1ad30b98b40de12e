#pragma once

#include "records/Records.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace velunora {

// Collects what the import finds for one night, then condenses it into the night's summary.
class NightAccumulator {
public:
    explicit NightAccumulator(Date day)
        : day_(day) {}

    Date day() const noexcept { return day_; }
    const std::vector<PAPSession>& sessions() const noexcept { return sessions_; }
    const std::vector<RespiratoryEvent>& events() const noexcept { return events_; }
    const std::vector<ChannelSeries>& channels() const noexcept { return channels_; }
    // All converted values of one channel in reading order; empty when none were appended.
    std::span<const double> values(ChannelCode code) const noexcept;

    void appendSession(const PAPSession& session) { sessions_.push_back(session); }
    void appendEvent(const RespiratoryEvent& event) { events_.push_back(event); }
    void appendSeries(ChannelSeries series) { channels_.push_back(std::move(series)); }
    void appendValues(ChannelCode code, std::span<const double> values);

    NightSummary makeSummary() const;

private:
    Date day_;
    std::vector<PAPSession> sessions_;
    std::vector<RespiratoryEvent> events_;
    std::vector<ChannelSeries> channels_;
    std::array<std::vector<double>, allChannelCodes.size()> statistics_;
};

// The value at the rounded index p x (count - 1) of the sorted values (halves away from zero),
// without interpolation; nothing for no values.
std::optional<double> percentile(std::span<const double> values, double p);

} // namespace velunora
