#pragma once

#include "records/Snapshot.h"
#include "sync/CloudStore.h"
#include "sync/EncodedSnapshot.h"

#include <QDir>
#include <QFuture>
#include <QString>
#include <QThreadPool>
#include <exception>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {

// Publishes the snapshot for the phone app as the one record "current-oscar-snapshot" (type
// "OscarSnapshot") of the private cloud store: fields "generatedAt", "nightCount" and "payload",
// the snapshot's JSON document as a file. The store's operations run one at a time on the
// service's own worker thread, so a save and a delete never overlap; callers await them without
// blocking their event loop, and get back on their own thread the very exception the work threw
// (CloudError, PlatformError for the payload file, SnapshotEncodingError).
class CloudSnapshotService {
public:
    static inline const QString recordName = QStringLiteral("current-oscar-snapshot");
    static inline const QString recordType = QStringLiteral("OscarSnapshot");

    // Each save writes its payload file into `temporaryFolder` (the system's when empty) and
    // removes it when done.
    explicit CloudSnapshotService(std::unique_ptr<CloudStore> store,
                                  QString temporaryFolder = QDir::tempPath());
    // Waits for the operations already started.
    ~CloudSnapshotService();
    CloudSnapshotService(const CloudSnapshotService&) = delete;
    CloudSnapshotService& operator=(const CloudSnapshotService&) = delete;

    // The process's one service, on the store configured in the user's settings, created on
    // first use and kept for the rest of the run.
    static CloudSnapshotService& shared();

    // Replaces the record's three fields with the snapshot's (creating the record when there is
    // none); the record's other fields stay. A conflict is not retried.
    QCoro::Task<> saveSnapshot(OscarSnapshot snapshot);
    // The same with the document already encoded.
    QCoro::Task<> saveSnapshot(std::shared_ptr<const EncodedSnapshot> snapshot);
    // Deletes the record; when there is none, that is success.
    QCoro::Task<> deleteSnapshot();
    // Puts another store in place once the operations queued before are done (the user chose
    // another store in the preferences).
    QCoro::Task<> replaceStore(std::unique_ptr<CloudStore> store);

private:
    // Queues the work behind the operations already asked for; the future holds its failure.
    QFuture<std::exception_ptr> runInTurn(std::function<void()> work);
    void performSave(const EncodedSnapshot& snapshot);
    void performDelete();

    std::unique_ptr<CloudStore> store_;
    QString temporaryFolder_;
    QThreadPool worker_;
};

} // namespace velunora
