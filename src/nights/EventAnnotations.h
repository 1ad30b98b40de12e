#pragma once

#include "nights/NightAccumulator.h"
#include "records/Records.h"

#include <map>
#include <optional>
#include <string_view>

namespace velunora {

struct EDFDocument;
struct EDFAnnotation;

// The nights of one import, by night date.
using NightAccumulators = std::map<Date, NightAccumulator>;

// The scored-event kind an annotation text names (folded, exact match); nothing otherwise.
std::optional<EventKind> eventKindForAnnotation(std::string_view text);

// A scored event read from an annotation, not yet filed: worked out apart from the nights so
// that event files can be prepared on any thread and filed in reading order.
struct ScoredEvent {
    EventKind kind;
    Date start;
    Date night;
    double durationSeconds; // finite and not negative

    friend bool operator==(const ScoredEvent&, const ScoredEvent&) = default;
};

// The annotation as an event, or nothing when it is none or its start has no night.
std::optional<ScoredEvent> scoredEventOf(const EDFDocument& document,
                                         const EDFAnnotation& annotation);

// Files the event into its night and the session that holds its start; dropped when there is
// no such night or session.
void fileEvent(const ScoredEvent& event, NightAccumulators& nights);

// Files one annotation of an event file as an event of its night and session; annotations
// that are no event, or fall outside every recorded night or session, are dropped.
void addAnnotationToNights(const EDFDocument& document, const EDFAnnotation& annotation,
                           NightAccumulators& nights);

} // namespace velunora
