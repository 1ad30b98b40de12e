#pragma once

#include "records/Snapshot.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/publication/LocalExport.h"

#include <optional>
#include <string>

namespace velunora {

// What a sync merges the card with.
struct PreviousSnapshot {
    // Where the snapshot came from: whether the store holds it already.
    enum class Source {
        // Nothing was published, or nothing readable.
        none,
        // The store's payload: downloaded, or the local export known to hold it.
        store,
        // The local export, the store holding no readable record.
        localExport,
    };
    std::optional<OscarSnapshot> snapshot;
    Source source = Source::none;
    // The store's record is our last save, but the local export no longer holds its payload:
    // the payload must be downloaded after all.
    bool needsPayload = false;
};

// The history a sync must keep: the payload the store holds now; when the store's record is our
// last save (its payload not downloaded), the local export if it is still the very file that
// save wrote (`knownExport`, its identity then); when the store holds no record or no payload that
// decodes, the local export (current file, then legacy file); else nothing. Runs off the main
// thread.
PreviousSnapshot choosePreviousSnapshot(const PublishedSnapshot& published,
                                        const LocalExport& localExport,
                                        const std::string& knownExport);

} // namespace velunora
