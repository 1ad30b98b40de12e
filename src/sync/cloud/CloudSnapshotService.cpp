#include "sync/cloud/CloudSnapshotService.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtConcurrent>
#include <chrono>
#include <cmath>
#include <exception>
#include <qcoro/qcorofuture.h>
#include <unistd.h>

namespace velunora {
namespace {

QDateTime toDateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::floor(date.secondsSince1970 * 1000.0)), Qt::UTC);
}

// Held while a publication and the local work that follows it run. The kernel releases the lock
// of a process that died.
class PublicationLock {
public:
    explicit PublicationLock(const QString& path) {
        if (path.isEmpty()) {
            return;
        }
        const std::filesystem::path file = QFile::encodeName(path).toStdString();
        try {
            createPrivateFolder(file.parent_path());
        } catch (const PlatformError&) {
            // Taking the lock below fails and says so.
        }
        // Another process's publication takes seconds at most.
        lock_.emplace(file, std::chrono::seconds(60));
        if (lock_->outcome() == FileLock::Outcome::locked) {
            return;
        }
        if (lock_->outcome() == FileLock::Outcome::busy) {
            throw CloudError(
                cloudcode::internalError,
                QCoreApplication::translate("CloudSnapshotService",
                                            "Une autre synchronisation est en cours sur cet "
                                            "ordinateur. Réessayez dans un instant."));
        }
        throw CloudError(cloudcode::internalError,
                         QCoreApplication::translate("CloudSnapshotService",
                                                     "Le fichier de verrou «\u00a0%1\u00a0"
                                                     "» n’a pas pu être créé.")
                             .arg(path));
    }

private:
    std::optional<FileLock> lock_;
};

// A payload file older than this belongs to no save still running: saves end within minutes.
constexpr auto stalePayloadAge = std::chrono::minutes(10);

// Earlier versions wrote each payload to a file of the temporary folder before handing it to the
// store, through a hidden side file; a process killed meanwhile left either behind, each a full
// copy of the user's nights. They go once old enough, so that a save still running in an earlier
// version (another profile, the command-line tool not yet upgraded) keeps its file.
void removeStalePayloads(const QString& folder) {
    // lunexa-<UUID>.json, and its side file .lunexa-<UUID>.json.XXXXXX (mkstemp's letters).
    static const QRegularExpression payloadName(
        QStringLiteral("^(lunexa-%1\\.json|\\.lunexa-%1\\.json\\.[A-Za-z0-9]{6})$")
            .arg(QStringLiteral("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(
        -std::chrono::duration_cast<std::chrono::seconds>(stalePayloadAge).count());
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QStringLiteral("lunexa-*.json"), QStringLiteral(".lunexa-*.json.*")},
        QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        if (payloadName.match(file.fileName()).hasMatch() &&
            file.lastModified().toUTC() < staleBefore && file.ownerId() == ::getuid()) {
            QFile::remove(file.filePath());
        }
    }
}

QString opaqueChangeTag(const QString& tag) {
    return tag.startsWith(QStringLiteral("W/")) ? tag.mid(2) : tag;
}

} // namespace

bool sameChangeTag(const QString& first, const QString& second) {
    return !first.isEmpty() && opaqueChangeTag(first) == opaqueChangeTag(second);
}

CloudSnapshotService::CloudSnapshotService(std::unique_ptr<CloudStore> store,
                                           QString publicationLockFile)
    : store_(std::move(store))
    , publicationLockFile_(std::move(publicationLockFile)) {
    // One thread, kept for the service's life: the operations run in the order they were asked.
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
}

CloudSnapshotService::~CloudSnapshotService() {
    worker_.waitForDone();
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
    auto turn = runInTurn([this, snapshot = std::move(snapshot)] {
        // Encoded first: a snapshot that cannot be encoded never reaches the store.
        auto encoded = std::make_shared<const EncodedSnapshot>(EncodedSnapshot::of(snapshot));
        performSave(encoded, store_->fetchChangeTag().value_or(QString()));
    });
    rethrowFailure(co_await turn);
}

QCoro::Task<PublishedSnapshot>
CloudSnapshotService::fetchPublishedSnapshot(QString knownChangeTag) {
    auto published = std::make_shared<PublishedSnapshot>();
    auto turn = runInTurn([this, published, knownChangeTag = std::move(knownChangeTag)] {
        *published = performFetch(knownChangeTag);
    });
    rethrowFailure(co_await turn);
    co_return std::move(*published);
}

QCoro::Task<PublicationOutcome>
CloudSnapshotService::publishSnapshot(std::shared_ptr<const EncodedSnapshot> snapshot,
                                      PublishedSnapshot published, std::function<void()> followUp) {
    auto outcome = std::make_shared<PublicationOutcome>();
    auto turn = runInTurn([this, outcome, snapshot = std::move(snapshot),
                           replacing = published.changeTag.value_or(QString()),
                           followUp = std::move(followUp)] {
        const PublicationLock lock(publicationLockFile_);
        removeStalePayloads(QDir::tempPath());
        outcome->changeTag = performSave(snapshot, replacing);
        if (followUp) {
            try {
                followUp();
            } catch (...) {
                outcome->followUpFailure = std::current_exception();
            }
        }
    });
    rethrowFailure(co_await turn);
    co_return std::move(*outcome);
}

QCoro::Task<> CloudSnapshotService::runBesidePublication(std::function<void()> work) {
    auto turn = runInTurn([this, work = std::move(work)] {
        const PublicationLock lock(publicationLockFile_);
        work();
    });
    rethrowFailure(co_await turn);
}

QCoro::Task<> CloudSnapshotService::deleteSnapshot(std::function<void()> followUp) {
    auto turn = runInTurn([this, followUp = std::move(followUp)] {
        const PublicationLock lock(publicationLockFile_);
        performDelete();
        if (followUp) {
            followUp();
        }
    });
    rethrowFailure(co_await turn);
}

QCoro::Task<> CloudSnapshotService::replaceStore(std::unique_ptr<CloudStore> store) {
    // Boxed so that the work stays copyable, as std::function wants.
    auto replacement = std::make_shared<std::unique_ptr<CloudStore>>(std::move(store));
    auto turn = runInTurn([this, replacement] { store_ = std::move(*replacement); });
    rethrowFailure(co_await turn);
}

PublishedSnapshot CloudSnapshotService::performFetch(const QString& knownChangeTag) {
    PublishedSnapshot published;
    published.changeTag = store_->fetchChangeTag();
    if (!published.changeTag) {
        return published;
    }
    if (sameChangeTag(*published.changeTag, knownChangeTag)) {
        published.payloadIsKnown = true;
        return published;
    }
    try {
        published.payload = store_->fetchPayload().toStdString();
    } catch (const CloudError& error) {
        // A version without a document holds no history to keep; the save that follows
        // replaces exactly this version or fails.
        if (error.code() != cloudcode::unknownItem) {
            throw;
        }
    }
    return published;
}

QString CloudSnapshotService::performSave(const std::shared_ptr<const EncodedSnapshot>& snapshot,
                                          const QString& replacing) {
    // The encoded document itself, kept alive by the snapshot: the store writes or uploads the
    // encoder's bytes, never a copy of megabytes. A conflict (another version stored since the
    // fetch) is thrown, not retried: the caller merges with what is there then.
    return store_->save({std::shared_ptr<const std::string>(snapshot, &snapshot->json),
                         toDateTime(snapshot->generatedAt), snapshot->nightCount},
                        replacing);
}

void CloudSnapshotService::performDelete() {
    try {
        store_->remove();
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            throw;
        }
    }
}

} // namespace velunora
