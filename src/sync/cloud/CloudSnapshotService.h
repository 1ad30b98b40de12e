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
    // Nothing when the store holds no record.
    std::optional<CloudRecord> record;
    // The payload's bytes; nothing when the record has none that could be downloaded, or when
    // it was not downloaded because it is the payload the local export holds (see
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

// Publishes the snapshot for the phone app as the one record "current-oscar-snapshot" (type
// "OscarSnapshot") of the private cloud store: fields "generatedAt", "nightCount" and "payload",
// the snapshot's JSON document as a file. The store's operations run one at a time on the
// service's own worker thread, so a save and a delete never overlap; callers await them without
// blocking their event loop, and get back on their own thread the very exception the work threw
// (CloudError, SnapshotEncodingError, or the failure of a deletion's follow-up).
class CloudSnapshotService {
public:
    static inline const QString recordName = QStringLiteral("current-oscar-snapshot");
    static inline const QString recordType = QStringLiteral("OscarSnapshot");

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

    // Replaces the record's three fields with the snapshot's (creating the record when there is
    // none); the record's other fields stay. A conflict is not retried.
    QCoro::Task<> saveSnapshot(OscarSnapshot snapshot);

    // The record as stored now, with its payload downloaded unless the record's change tag is
    // `knownChangeTag`: the version of our own last save, whose payload the local export holds.
    QCoro::Task<PublishedSnapshot> fetchPublishedSnapshot(QString knownChangeTag);
    // Saves the snapshot in place of exactly the version `published` fetched (creating the
    // record when it held none); any other version in the store is a conflict, thrown and not
    // retried. Then, in the same turn, runs `followUp`, whose failure is handed back.
    QCoro::Task<PublicationOutcome> publishSnapshot(std::shared_ptr<const EncodedSnapshot> snapshot,
                                                    PublishedSnapshot published,
                                                    std::function<void()> followUp);

    // Runs `work` (a write beside the record, such as the local export) in the service's turn,
    // with the lock of the publications held; its failure is thrown.
    QCoro::Task<> runBesidePublication(std::function<void()> work);

    // Deletes the record; when there is none, that is success. Then, in the same turn, runs
    // `followUp` (the local files' removal), whose failure is thrown.
    QCoro::Task<> deleteSnapshot(std::function<void()> followUp = {});
    // Puts another store in place once the operations queued before are done (the user chose
    // another store in the preferences).
    QCoro::Task<> replaceStore(std::unique_ptr<CloudStore> store);

private:
    // Queues the work behind the operations already asked for; the future holds its failure.
    QFuture<std::exception_ptr> runInTurn(std::function<void()> work);
    // Saves the snapshot in place of the record `recordToReplace` gives (nothing: a new record).
    QString performSave(const std::shared_ptr<const EncodedSnapshot>& snapshot,
                        const std::function<std::optional<CloudRecord>()>& recordToReplace);
    PublishedSnapshot performFetch(const QString& knownChangeTag);
    void performDelete();

    std::unique_ptr<CloudStore> store_;
    QString publicationLockFile_;
    QThreadPool worker_;
};

} // namespace velunora
