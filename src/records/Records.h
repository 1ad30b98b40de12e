#pragma once

#include "records/Codes.h"
#include "records/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velunora {

// One uninterrupted period of mask use.
struct PAPSession {
    std::int64_t id = 0;
    Date start;
    Date end;
    double durationSeconds = 0.0;

    friend bool operator==(const PAPSession&, const PAPSession&) = default;
};

// One event scored by the device.
struct RespiratoryEvent {
    std::int64_t id = 0;
    std::int64_t sessionID = 0;
    EventKind type = EventKind::other;
    Date start;
    double durationSeconds = 0.0;

    friend bool operator==(const RespiratoryEvent&, const RespiratoryEvent&) = default;
};

// One kept sample of a reduced signal.
struct ChannelPoint {
    Date time;
    double value = 0.0;

    friend bool operator==(const ChannelPoint&, const ChannelPoint&) = default;
};

// The kept samples of one signal of one session.
struct ChannelSeries {
    std::int64_t sessionID = 0;
    ChannelCode code = ChannelCode::flowRate;
    std::vector<ChannelPoint> points;

    // "<sessionID>-<text code>", e.g. "42-FlowRate" or "-3-FLG".
    std::string id() const;

    friend bool operator==(const ChannelSeries&, const ChannelSeries&) = default;
};

// The identity of the therapy device whose card was imported.
struct PAPMachine {
    std::int64_t id = 0;
    std::string brand;
    std::string model;
    std::string series;
    std::string serialNumber;
    std::optional<Date> lastImported;

    // Brand and model, each left out when empty, joined by one space.
    std::string displayName() const;

    friend bool operator==(const PAPMachine&, const PAPMachine&) = default;
};

// The summary of one night, filed under the start of its local calendar day.
struct NightSummary {
    Date date;
    double totalHours = 0.0;
    double maskOnHours = 0.0;
    double ahi = 0.0;
    double rdi = 0.0;
    std::int64_t obstructiveCount = 0;
    std::int64_t centralCount = 0;
    std::int64_t hypopneaCount = 0;
    std::int64_t reraCount = 0;
    std::int64_t unclassifiedCount = 0;
    std::optional<double> pressureAverage;
    std::optional<double> pressureMinimum;
    std::optional<double> pressureMaximum;
    std::optional<double> pressure95th;
    std::optional<double> leakAverage;
    std::optional<double> leak95th;
    std::optional<double> leakMaximum;
    std::optional<double> spo2Average;
    std::optional<double> spo2Minimum;
    std::optional<double> pulseAverage;
    bool isCompliant = false;
    std::vector<PAPSession> sessions;
    std::vector<RespiratoryEvent> events;
    std::vector<ChannelSeries> channels;

    // Two summaries filed under the same instant share an identity.
    Date id() const { return date; }

    friend bool operator==(const NightSummary&, const NightSummary&) = default;
};

// Brand and model, each left out when empty, joined by one space (shared by the machine and the
// detected card).
std::string joinedDisplayName(const std::string& manufacturer, const std::string& model);

// 64-bit FNV-1a over the text's UTF-8 bytes, stored as the signed value with the same bits.
std::int64_t fnv1a64(std::string_view text) noexcept;

// The device family a model name belongs to: "AirSense 11", "AirSense 10", "S9" or "ResMed".
std::string deviceSeries(std::string_view model);

// The machine record of a card: identity from the serial number, or from the display name
// when the card has none.
PAPMachine makePAPMachine(const std::string& manufacturer, const std::string& model,
                          const std::string& serialNumber, Date lastImported);

std::size_t hashValue(const PAPSession& session) noexcept;
std::size_t hashValue(const RespiratoryEvent& event) noexcept;
std::size_t hashValue(const ChannelPoint& point) noexcept;
std::size_t hashValue(const ChannelSeries& series) noexcept;
std::size_t hashValue(const PAPMachine& machine) noexcept;
std::size_t hashValue(const NightSummary& night) noexcept;

} // namespace velunora

#define VELUNORA_DECLARE_HASH(Type)                                                                \
    template <> struct std::hash<velunora::Type> {                                                 \
        std::size_t operator()(const velunora::Type& value) const noexcept {                       \
            return velunora::hashValue(value);                                                     \
        }                                                                                          \
    };

VELUNORA_DECLARE_HASH(PAPSession)
VELUNORA_DECLARE_HASH(RespiratoryEvent)
VELUNORA_DECLARE_HASH(ChannelPoint)
VELUNORA_DECLARE_HASH(ChannelSeries)
VELUNORA_DECLARE_HASH(PAPMachine)
VELUNORA_DECLARE_HASH(NightSummary)

#undef VELUNORA_DECLARE_HASH
