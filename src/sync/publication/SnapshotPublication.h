#pragma once

#include "records/Snapshot.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/publication/LocalExport.h"
#include "sync/publication/PreviousSnapshot.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

class Settings;

// What our last save published: the record's change tag, and the identity of the local export
// file it wrote with the same payload. While both hold, nothing is downloaded.
inline const QString publishedChangeTagKey = QStringLiteral("published-change-tag");
inline const QString publishedExportKey = QStringLiteral("published-export-file");

// How many times a sync merges and saves when another computer (or the command line) saves in
// between: each time it merges with what that one published.
inline constexpr int publicationAttempts = 3;

// What a publication needs of the outside: the remembered state of our last save, the store,
// and the local export.
struct PublicationPlaces {
    std::shared_ptr<Settings> settings;
    std::shared_ptr<CloudSnapshotService> cloud;
    LocalExport localExport{std::filesystem::path()};
};

struct PublicationResult {
    // Nights in the published history.
    std::int64_t nightCount = 0;
    // Of which the card brought for the first time.
    std::int64_t newNights = 0;
    // Whether the store and the export were written: nothing is when the card brings nothing
    // that is not published already.
    bool written = false;
    // The history as published now.
    std::shared_ptr<const OscarSnapshot> history;
};

// What the store holds before a sync merges: the record as fetched, and the history decoded
// from its payload (or from the local export, when the store holds nothing readable).
struct PublishedHistory {
    PublishedSnapshot published;
    PreviousSnapshot previous;
    // The store holds that history already: nothing to write when the card changes nothing.
    bool storeHoldsPrevious = false;
};

// Fetches the record and decodes the history it holds, off the caller's thread; the payload is
// not downloaded while the local export is known to hold it, unless `downloadAlways`. Meant to run
// while the card is read. Throws CloudError.
QCoro::Task<PublishedHistory> readPublishedHistory(PublicationPlaces places,
                                                   bool downloadAlways = false);

// Merges the card's snapshot with `history`, saves it in place of exactly the version read, then
// writes the local export in the same turn of the store's service. On a conflict (another save
// came in between) it reads, merges and saves again, up to publicationAttempts times. When the
// merge changes nothing a reader sees, nothing is written (but an export that is not the store's
// payload is made so again). Throws what failed: CloudError, PlatformError,
// SnapshotEncodingError; after a failure of the export's write the store holds the new history
// and the next sync downloads it.
QCoro::Task<PublicationResult>
publishImportedSnapshot(PublicationPlaces places, std::shared_ptr<const OscarSnapshot> imported,
                        PublishedHistory history);

} // namespace velunora
