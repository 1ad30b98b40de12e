#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace velunora {

// The signals a night may carry. The text codes leave the process (JSON, phone app): never
// write the ordinal.
enum class ChannelCode {
    flowRate,
    pressure,
    maskPressure,
    leak,
    respiratoryRate,
    minuteVentilation,
    tidalVolume,
    flowLimitation,
};

inline constexpr std::array<ChannelCode, 8> allChannelCodes{
    ChannelCode::flowRate,    ChannelCode::pressure,        ChannelCode::maskPressure,
    ChannelCode::leak,        ChannelCode::respiratoryRate, ChannelCode::minuteVentilation,
    ChannelCode::tidalVolume, ChannelCode::flowLimitation,
};

// The kinds of scored event. `central` is coded "ClearAirway" and `unclassified` "Apnea".
enum class EventKind {
    obstructive,
    central,
    hypopnea,
    rera,
    unclassified,
    largeLeak,
    other,
};

inline constexpr std::array<EventKind, 7> allEventKinds{
    EventKind::obstructive,  EventKind::central,   EventKind::hypopnea, EventKind::rera,
    EventKind::unclassified, EventKind::largeLeak, EventKind::other,
};

std::string_view textCode(ChannelCode code) noexcept;
std::string_view textCode(EventKind kind) noexcept;

// Exact, case-sensitive match against the text codes; no case when nothing matches.
std::optional<ChannelCode> channelCodeFromText(std::string_view text) noexcept;
std::optional<EventKind> eventKindFromText(std::string_view text) noexcept;

} // namespace velunora
