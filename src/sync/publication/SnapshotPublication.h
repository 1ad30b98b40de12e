#pragma once

#include "records/Snapshot.h"
#include "sync/publication/LocalExport.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

class CloudSnapshotService;
class UserDefaults;

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
    std::shared_ptr<UserDefaults> userDefaults;
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
};

// Merges the card's snapshot with the history the store holds (or the local export, when the
// store holds nothing readable), saves it in place of exactly that version, then writes the
// local export in the same turn of the store's service. On a conflict (another save came in
// between) it fetches, merges and saves again, up to publicationAttempts times. When the merge
// changes nothing a reader sees, nothing is written. Throws what failed: CloudError,
// PlatformError, SnapshotEncodingError; after a failure of the export's write the store holds
// the new history and the next sync downloads it.
QCoro::Task<PublicationResult>
publishImportedSnapshot(PublicationPlaces places, std::shared_ptr<const OscarSnapshot> imported);

} // namespace velunora
