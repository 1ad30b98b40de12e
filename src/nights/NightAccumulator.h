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
    // All converted values of one channel in reading order; empty when none were appended or
    // after `condenseStatistics`.
    std::span<const double> values(ChannelCode code) const noexcept;

    // Only pressure, mask pressure and leak feed the summary; the values of other channels are
    // counted by the caller but not kept, which keeps a year's import small.
    static constexpr bool keepsValues(ChannelCode code) noexcept {
        return code == ChannelCode::pressure || code == ChannelCode::maskPressure ||
               code == ChannelCode::leak;
    }

    void appendSession(const PAPSession& session) { sessions_.push_back(session); }
    void appendEvent(const RespiratoryEvent& event) { events_.push_back(event); }
    void appendSeries(ChannelSeries series) { channels_.push_back(std::move(series)); }
    void appendValues(ChannelCode code, std::span<const double> values);

    // One list per channel: the memory of the values, which an import hands from night to night.
    using ValueLists = std::array<std::vector<double>, allChannelCodes.size()>;

    // Computes the pressure and leak statistics now and releases the values. The import calls
    // it once a night has all its sessions, so that only one night's values are held at a time;
    // no values may be appended afterwards. With `spare`, the emptied lists keep their memory
    // and are swapped into it, for the next night to take with `reuseValueLists`: a long import
    // then stops allocating once the largest night has been seen.
    void condenseStatistics();
    void condenseStatistics(ValueLists& spare);
    // Takes the (empty) lists of `spare` to append to; only before any value was appended.
    void reuseValueLists(ValueLists& spare) noexcept;

    NightSummary makeSummary() const;

private:
    Date day_;
    std::vector<PAPSession> sessions_;
    std::vector<RespiratoryEvent> events_;
    std::vector<ChannelSeries> channels_;
    ValueLists statistics_;

    struct ValueStatistics {
        std::optional<double> pressureAverage, pressureMinimum, pressureMaximum, pressure95th;
        std::optional<double> leakAverage, leak95th, leakMaximum;
    };
    // Reorders the lists it is given (the percentile selects in place).
    static ValueStatistics computeValueStatistics(std::span<double> pressure,
                                                  std::span<double> leak);
    ValueStatistics computeValueStatisticsOfCopies() const;
    std::optional<ValueStatistics> condensed_;
};

// The value at the rounded index p x (count - 1) of the sorted values (halves away from zero),
// without interpolation; nothing for no values.
std::optional<double> percentile(std::span<const double> values, double p);

} // namespace velunora
