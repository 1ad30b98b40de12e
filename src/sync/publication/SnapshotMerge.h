#pragma once

#include "records/Snapshot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velunora {

// The key under which a machine is published once: its serial number, or its display name when
// the card gave none.
std::string machineKey(const PAPMachine& machine);

// What a sync publishes: each night of the card replaces the published nights of the same date
// and those that share a session with it (inheriting their channel series when the import built
// none), except that a night the import could not read whole replaces none; nights no longer on
// the card stay, and the card's machine replaces the published one with the same key. Only the
// nights of the history's latest sessions keep their series (see keepSeriesOfLatestNights).
OscarSnapshot mergeSnapshots(OscarSnapshot imported, std::optional<OscarSnapshot> previous);

// Empties the channel series of every night but those that hold the seven latest sessions of
// the whole history (the import's own rule for one card): years of mornings then publish a
// bounded document, while every night keeps its summary, sessions and events for ever.
void keepSeriesOfLatestNights(std::vector<NightSummary>& nights);

// What a sync changes in what was published, the import's own time stamps aside (the
// document's generatedAt, a machine's lastImported).
struct PublishedChanges {
    // Nights whose date was not published before.
    std::int64_t newNights = 0;
    // Whether anything else a reader sees differs: a night's values, sessions, events or series,
    // a machine, a night gone.
    bool changesPublished = false;
};

// Compares the merged snapshot with the one it was merged with, as their JSON forms would read
// (instants to the whole second). Everything is new when nothing was published.
PublishedChanges comparePublished(const OscarSnapshot& merged,
                                  const std::optional<OscarSnapshot>& previous);

} // namespace velunora
