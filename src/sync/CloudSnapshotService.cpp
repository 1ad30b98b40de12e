#include "sync/CloudSnapshotService.h"

#include "platform/AtomicFile.h"
#include "records/SnapshotJSON.h"
#include "sync/CloudStoreFactory.h"
#include "sync/UserDefaults.h"

#include <QFile>
#include <QUuid>
#include <QtConcurrent>
#include <cmath>
#include <exception>
#include <filesystem>
#include <qcoro/qcorofuture.h>
#include <unistd.h>

namespace velunora {
namespace {

QDateTime toDateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::floor(date.secondsSince1970 * 1000.0)), Qt::UTC);
}

// Removes the payload file when the save ends, whichever way it ends; a failed removal is
// ignored (the system cleans its temporary folder).
class TemporaryPayload {
public:
    explicit TemporaryPayload(const QString& folder)
        : path_(folder + QStringLiteral("/lunexa-") +
                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                QStringLiteral(".json")) {}
    ~TemporaryPayload() { ::unlink(QFile::encodeName(path_).constData()); }
    TemporaryPayload(const TemporaryPayload&) = delete;
    TemporaryPayload& operator=(const TemporaryPayload&) = delete;

    const QString& path() const noexcept { return path_; }

private:
    QString path_;
};

} // namespace

CloudSnapshotService::CloudSnapshotService(std::unique_ptr<CloudStore> store,
                                           QString temporaryFolder)
    : store_(std::move(store))
    , temporaryFolder_(temporaryFolder.isEmpty() ? QDir::tempPath() : std::move(temporaryFolder)) {
    // One thread, kept for the service's life: the operations run in the order they were asked.
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
}

CloudSnapshotService::~CloudSnapshotService() {
    worker_.waitForDone();
}

CloudSnapshotService& CloudSnapshotService::shared() {
    // Never destroyed: its worker thread must not be torn down after the application object.
    static auto* const service =
        new CloudSnapshotService(makeConfiguredCloudStore(SettingsUserDefaults()));
    return *service;
}

QFuture<std::exception_ptr> CloudSnapshotService::runInTurn(std::function<void()> work) {
    return QtConcurrent::run(&worker_, [work = std::move(work)] {
        try {
            work();
            return std::exception_ptr();
        } catch (...) {
            return std::current_exception();
        }
    });
}

namespace {

void rethrowFailure(const std::exception_ptr& failure) {
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace

// The futures are named, never temporaries inside the co_await, and no closure is a coroutine
// parameter: g++ 12 destroys such objects twice.
QCoro::Task<> CloudSnapshotService::saveSnapshot(OscarSnapshot snapshot) {
    auto turn = runInTurn(
        [this, snapshot = std::move(snapshot)] { performSave(EncodedSnapshot::of(snapshot)); });
    rethrowFailure(co_await turn);
}

QCoro::Task<> CloudSnapshotService::saveSnapshot(std::shared_ptr<const EncodedSnapshot> snapshot) {
    auto turn = runInTurn([this, snapshot = std::move(snapshot)] { performSave(*snapshot); });
    rethrowFailure(co_await turn);
}

QCoro::Task<> CloudSnapshotService::deleteSnapshot() {
    auto turn = runInTurn([this] { performDelete(); });
    rethrowFailure(co_await turn);
}

QCoro::Task<> CloudSnapshotService::replaceStore(std::unique_ptr<CloudStore> store) {
    // Boxed so that the work stays copyable, as std::function wants.
    auto replacement = std::make_shared<std::unique_ptr<CloudStore>>(std::move(store));
    auto turn = runInTurn([this, replacement] { store_ = std::move(*replacement); });
    rethrowFailure(co_await turn);
}

void CloudSnapshotService::performSave(const EncodedSnapshot& snapshot) {
    const TemporaryPayload payload(temporaryFolder_);
    writeFileAtomically(std::filesystem::path(QFile::encodeName(payload.path()).toStdString()),
                        snapshot.json);

    CloudRecord record;
    try {
        record = store_->fetchRecord(recordName);
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            throw;
        }
        record = CloudRecord{recordType, recordName, {}, {}};
    }
    record.fields.insert_or_assign(QStringLiteral("generatedAt"), toDateTime(snapshot.generatedAt));
    record.fields.insert_or_assign(QStringLiteral("nightCount"),
                                   static_cast<qint64>(snapshot.nightCount));
    record.fields.insert_or_assign(QStringLiteral("payload"), CloudAsset{payload.path()});
    // A conflict (the record changed since the fetch) is thrown, not retried: the next sync
    // publishes again.
    store_->saveRecord(record);
}

void CloudSnapshotService::performDelete() {
    try {
        store_->deleteRecord(recordName);
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            throw;
        }
    }
}

} // namespace velunora
