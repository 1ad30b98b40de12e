#include "records/Records.h"

#include <algorithm>
#include <charconv>

namespace velunora {
namespace {

// Feeds fields into one running hash, in field order.
class Hasher {
public:
    Hasher& add(std::size_t value) noexcept {
        hashCombine(seed_, value);
        return *this;
    }
    Hasher& add(std::int64_t value) noexcept { return add(std::hash<std::int64_t>{}(value)); }
    Hasher& add(double value) noexcept { return add(hashDouble(value)); }
    Hasher& add(bool value) noexcept { return add(std::size_t{value ? 1u : 0u}); }
    Hasher& add(Date value) noexcept { return add(value.secondsSince1970); }
    Hasher& add(const std::string& value) noexcept { return add(std::hash<std::string>{}(value)); }
    Hasher& add(ChannelCode code) noexcept { return add(static_cast<std::size_t>(code)); }
    Hasher& add(EventKind kind) noexcept { return add(static_cast<std::size_t>(kind)); }
    template <typename T> Hasher& add(const std::optional<T>& value) noexcept {
        add(value.has_value());
        if (value) {
            add(*value);
        }
        return *this;
    }
    template <typename T> Hasher& add(const std::vector<T>& values) noexcept {
        add(values.size());
        for (const T& value : values) {
            add(hashValue(value));
        }
        return *this;
    }
    std::size_t result() const noexcept { return seed_; }

private:
    std::size_t seed_ = 0;
};

// Case-insensitive containment for the ASCII needles of the family rule.
bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                             [&](char a, char b) { return lower(a) == lower(b); });
    return found != haystack.end();
}

} // namespace

std::string ChannelSeries::id() const {
    char digits[24];
    auto [end, ec] = std::to_chars(std::begin(digits), std::end(digits), sessionID);
    std::string text(digits, end);
    text += '-';
    text += textCode(code);
    return text;
}

std::string joinedDisplayName(const std::string& manufacturer, const std::string& model) {
    if (manufacturer.empty()) {
        return model;
    }
    if (model.empty()) {
        return manufacturer;
    }
    return manufacturer + ' ' + model;
}

std::string PAPMachine::displayName() const {
    return joinedDisplayName(brand, model);
}

std::int64_t fnv1a64(std::string_view text) noexcept {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return static_cast<std::int64_t>(hash);
}

std::string deviceSeries(std::string_view model) {
    if (containsIgnoringCase(model, "11")) {
        return "AirSense 11";
    }
    if (containsIgnoringCase(model, "10")) {
        return "AirSense 10";
    }
    if (containsIgnoringCase(model, "S9")) {
        return "S9";
    }
    return "ResMed";
}

PAPMachine makePAPMachine(const std::string& manufacturer, const std::string& model,
                          const std::string& serialNumber, Date lastImported) {
    const std::string identity =
        serialNumber.empty() ? joinedDisplayName(manufacturer, model) : serialNumber;
    return PAPMachine{fnv1a64(identity),   manufacturer, model,
                      deviceSeries(model), serialNumber, lastImported};
}

std::size_t hashValue(const PAPSession& session) noexcept {
    return Hasher{}
        .add(session.id)
        .add(session.start)
        .add(session.end)
        .add(session.durationSeconds)
        .result();
}

std::size_t hashValue(const RespiratoryEvent& event) noexcept {
    return Hasher{}
        .add(event.id)
        .add(event.sessionID)
        .add(event.type)
        .add(event.start)
        .add(event.durationSeconds)
        .result();
}

std::size_t hashValue(const ChannelPoint& point) noexcept {
    return Hasher{}.add(point.time).add(point.value).result();
}

std::size_t hashValue(const ChannelSeries& series) noexcept {
    return Hasher{}.add(series.sessionID).add(series.code).add(series.points).result();
}

std::size_t hashValue(const PAPMachine& machine) noexcept {
    return Hasher{}
        .add(machine.id)
        .add(machine.brand)
        .add(machine.model)
        .add(machine.series)
        .add(machine.serialNumber)
        .add(machine.lastImported)
        .result();
}

std::size_t hashValue(const NightSummary& night) noexcept {
    return Hasher{}
        .add(night.date)
        .add(night.totalHours)
        .add(night.maskOnHours)
        .add(night.ahi)
        .add(night.rdi)
        .add(night.obstructiveCount)
        .add(night.centralCount)
        .add(night.hypopneaCount)
        .add(night.reraCount)
        .add(night.unclassifiedCount)
        .add(night.pressureAverage)
        .add(night.pressureMinimum)
        .add(night.pressureMaximum)
        .add(night.pressure95th)
        .add(night.leakAverage)
        .add(night.leak95th)
        .add(night.leakMaximum)
        .add(night.spo2Average)
        .add(night.spo2Minimum)
        .add(night.pulseAverage)
        .add(night.isCompliant)
        .add(night.sessions)
        .add(night.events)
        .add(night.channels)
        .result();
}

} // namespace velunora
