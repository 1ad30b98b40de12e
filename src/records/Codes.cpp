#include "records/Codes.h"

namespace velunora {

std::string_view textCode(ChannelCode code) noexcept {
    switch (code) {
    case ChannelCode::flowRate:
        return "FlowRate";
    case ChannelCode::pressure:
        return "Pressure";
    case ChannelCode::maskPressure:
        return "MaskPressure";
    case ChannelCode::leak:
        return "Leak";
    case ChannelCode::respiratoryRate:
        return "RespRate";
    case ChannelCode::minuteVentilation:
        return "MinuteVent";
    case ChannelCode::tidalVolume:
        return "TidalVolume";
    case ChannelCode::flowLimitation:
        return "FLG";
    }
    return {};
}

std::string_view textCode(EventKind kind) noexcept {
    switch (kind) {
    case EventKind::obstructive:
        return "Obstructive";
    case EventKind::central:
        return "ClearAirway";
    case EventKind::hypopnea:
        return "Hypopnea";
    case EventKind::rera:
        return "RERA";
    case EventKind::unclassified:
        return "Apnea";
    case EventKind::largeLeak:
        return "LeakSpan";
    case EventKind::other:
        return "Other";
    }
    return {};
}

std::optional<ChannelCode> channelCodeFromText(std::string_view text) noexcept {
    for (ChannelCode code : allChannelCodes) {
        if (textCode(code) == text) {
            return code;
        }
    }
    return std::nullopt;
}

std::optional<EventKind> eventKindFromText(std::string_view text) noexcept {
    for (EventKind kind : allEventKinds) {
        if (textCode(kind) == text) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace velunora
