#pragma once

#include "records/Snapshot.h"
#include "sync/cloud/CloudStore.h"
#include "sync/cloud/EncodedSnapshot.h"

#include <QDir>
#include <QFuture>
#include <QString>
#include <QThreadPool>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <string>

namespace velunora {

// The record as the store holds it before a sync merges: what the merge starts from, and the
// version the save must replace.
struct PublishedSnapshot {
    // The version stored; nothing when the store holds none.
    std::optional<QString> changeTag;
    // The document's bytes; nothing when the version has none that could be downloaded, or
    // when they were not downloaded because they are the ones the local export holds (see
    // fetchPublishedSnapshot).
    std::optional<std::string> payload;
    bool payloadIsKnown = false;
};

// How a save went: the record's new change tag (empty when the store does not tell), and the
// failure of the work that followed it in the same turn (the local export), if any.
struct PublicationOutcome {
    QString changeTag;
    std::exception_ptr followUpFailure;
};

// Whether two change tags name the same version; a weak tag (W/"…") names the version of the
// strong one with the same opaque part.
bool sameChangeTag(const QString& first, const QString& second);

// Publishes the snapshot's JSON document for the phone app in the store. The store's operations
// run one at a time on the service's own worker thread, so a save and a delete never overlap;
// callers await them without blocking their event loop, and get back on their own thread the very
// exception the work threw (CloudError, SnapshotEncodingError, or the failure of a deletion's
// follow-up).
class CloudSnapshotService {
public:
    // A save hands the encoded payload to the store as it is, through no file of its own; each
    // publication clears the payload files earlier versions left in the system's temporary
    // folder. `publicationLockFile`, when given, is held while a publication or a deletion and
    // the work that follows it run, so that two processes of this user (the app and the
    // command-line tool) never interleave them.
    explicit CloudSnapshotService(std::unique_ptr<CloudStore> store,
                                  QString publicationLockFile = {});
    // Waits for the operations already started.
    ~CloudSnapshotService();
    CloudSnapshotService(const CloudSnapshotService&) = delete;
    CloudSnapshotService& operator=(const CloudSnapshotService&) = delete;

    // Saves the snapshot in place of the version stored now (or as the first). A conflict is not
    // retried.
    QCoro::Task<> saveSnapshot(OscarSnapshot snapshot);

    // The version stored now, with its document downloaded unless its change tag is
    // `knownChangeTag`: the version of our own last save, whose document the local export holds.
    QCoro::Task<PublishedSnapshot> fetchPublishedSnapshot(QString knownChangeTag);
    // Saves the snapshot in place of exactly the version `published` fetched (as the first
    // when it held none); any other version in the store is a conflict, thrown and not
    // retried. Then, in the same turn, runs `followUp`, whose failure is handed back.
    QCoro::Task<PublicationOutcome> publishSnapshot(std::shared_ptr<const EncodedSnapshot> snapshot,
                                                    PublishedSnapshot published,
                                                    std::function<void()> followUp);

    // Runs `work` (a write beside the record, such as the local export) in the service's turn,
    // with the lock of the publications held; its failure is thrown.
    QCoro::Task<> runBesidePublication(std::function<void()> work);

    // Removes the stored snapshot; when there is none, that is success. Then, in the same turn,
    // runs `followUp` (the local files' removal), whose failure is thrown.
    QCoro::Task<> deleteSnapshot(std::function<void()> followUp = {});
    // Puts another store in place once the operations queued before are done (the user chose
    // another store in the preferences).
    QCoro::Task<> replaceStore(std::unique_ptr<CloudStore> store);

private:
    // Queues the work behind the operations already asked for; the future holds its failure.
    QFuture<std::exception_ptr> runInTurn(std::function<void()> work);
    // Saves the snapshot in place of the version `replacing` names (empty: none).
    QString performSave(const std::shared_ptr<const EncodedSnapshot>& snapshot,
                        const QString& replacing);
    PublishedSnapshot performFetch(const QString& knownChangeTag);
    void performDelete();

    std::unique_ptr<CloudStore> store_;
    QString publicationLockFile_;
    QThreadPool worker_;
};

} // namespace velunora
