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

// Files one annotation of an event file as an event of its night and session; annotations
// that are no event, or fall outside every recorded night or session, are dropped.
void addAnnotationToNights(const EDFDocument& document, const EDFAnnotation& annotation,
                           NightAccumulators& nights);

} // namespace velunora
