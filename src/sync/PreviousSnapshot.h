#pragma once

#include "records/Snapshot.h"
#include "sync/LocalExport.h"
#include "sync/cloud/CloudSnapshotService.h"

#include <QByteArray>
#include <optional>
#include <string_view>

namespace velunora {

// The digest that tells whether the local export still holds the payload of our last save.
QByteArray snapshotDigest(std::string_view json);

// What a sync merges the card with.
struct PreviousSnapshot {
    std::optional<OscarSnapshot> snapshot;
    // The store's record is our last save, but the local export no longer holds its payload:
    // the payload must be downloaded after all.
    bool needsPayload = false;
};

// The history a sync must keep: the payload the store holds now; when the store's record is our
// last save (its payload not downloaded), the local export if its digest is still
// `knownDigest`; when the store holds no record or no payload that decodes, the local export
// (current file, then legacy file); else nothing. Runs off the main thread.
PreviousSnapshot choosePreviousSnapshot(const PublishedSnapshot& published,
                                        const LocalExport& localExport,
                                        const QByteArray& knownDigest);

} // namespace velunora
