#include "nights/EventAnnotations.h"

#include "cardimport/EDFReader.h"
#include "nights/NightDate.h"
#include "platform/Text.h"

#include <cmath>

namespace velunora {
namespace {

struct EventRow {
    std::string_view text;
    EventKind kind;
};

// Tried in this order; "apnea" alone is an apnoea the device could not classify.
constexpr EventRow eventTable[] = {
    {"obstructive apnea", EventKind::obstructive},
    {"central apnea", EventKind::central},
    {"hypopnea", EventKind::hypopnea},
    {"arousal", EventKind::rera},
    {"apnea", EventKind::unclassified},
};

} // namespace

std::optional<EventKind> eventKindForAnnotation(std::string_view text) {
    const std::string folded = text::folded(text);
    for (const EventRow& row : eventTable) {
        if (folded == row.text) {
            return row.kind;
        }
    }
    return std::nullopt;
}

std::optional<ScoredEvent> scoredEventOf(const EDFDocument& document,
                                         const EDFAnnotation& annotation) {
    const auto kind = eventKindForAnnotation(annotation.text);
    if (!kind) {
        return std::nullopt;
    }
    const double start = document.start.secondsSince1970 + annotation.offset;
    if (!std::isfinite(start)) {
        return std::nullopt;
    }
    const auto date = nightDate(Date{start});
    if (!date) {
        return std::nullopt;
    }
    const double duration = annotation.duration.value_or(0.0);
    return ScoredEvent{*kind, Date{start}, *date,
                       std::isfinite(duration) && duration >= 0.0 ? duration : 0.0};
}

void fileEvent(const ScoredEvent& event, NightAccumulators& nights) {
    const auto night = nights.find(event.night);
    if (night == nights.end()) {
        return;
    }
    NightAccumulator& accumulator = night->second;
    const double start = event.start.secondsSince1970;
    for (const PAPSession& session : accumulator.sessions()) {
        if (session.start.secondsSince1970 <= start && start <= session.end.secondsSince1970) {
            const auto id = static_cast<std::int64_t>(std::trunc(start * 10.0)) +
                            static_cast<std::int64_t>(accumulator.events().size());
            accumulator.appendEvent(
                RespiratoryEvent{id, session.id, event.kind, event.start, event.durationSeconds});
            return;
        }
    }
}

void addAnnotationToNights(const EDFDocument& document, const EDFAnnotation& annotation,
                           NightAccumulators& nights) {
    if (const auto event = scoredEventOf(document, annotation)) {
        fileEvent(*event, nights);
    }
}

} // namespace velunora
