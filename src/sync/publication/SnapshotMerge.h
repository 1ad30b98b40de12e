#pragma once

#include "records/Snapshot.h"

#include <optional>
#include <string>

namespace velunora {

// The key under which a machine is published once: its serial number, or its display name when
// the card gave none.
std::string machineKey(const PAPMachine& machine);

// What a sync publishes: each night of the card replaces the published nights of the same date
// and those that share a session with it (inheriting their channel series when the import built
// none), except that a night the import could not read whole replaces none; nights no longer on
// the card stay, and the card's machine replaces the published one with the same key.
OscarSnapshot mergeSnapshots(OscarSnapshot imported, std::optional<OscarSnapshot> previous);

} // namespace velunora
