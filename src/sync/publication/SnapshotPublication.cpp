#include "sync/publication/SnapshotPublication.h"

#include "sync/FailureText.h"
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/EncodedSnapshot.h"
#include "sync/publication/PublishedStores.h"
#include "sync/publication/SnapshotMerge.h"

#include <QThreadPool>
#include <QtConcurrent>
#include <qcoro/qcorofuture.h>

namespace velunora {
namespace {

// The history as read and decoded on a worker thread, or the failure met there.
struct DecodedHistory {
    PreviousSnapshot previous;
    bool mergedWithExport = false;
    std::exception_ptr error;
};

// `withExport`: the store was just changed, so the local export's nights are kept as well as
// the new store's (which win for the same night).
DecodedHistory decodeHistory(const PublishedSnapshot& published, const LocalExport& localExport,
                             const std::string& knownExport, bool withExport) {
    DecodedHistory history;
    history.previous = choosePreviousSnapshot(published, localExport, knownExport);
    if (history.previous.needsPayload) {
        return history;
    }
    history.mergedWithExport = withExport && published.changeTag && history.previous.snapshot;
    if (history.mergedWithExport) {
        PreviousSnapshot exported =
            choosePreviousSnapshot(PublishedSnapshot{}, localExport, std::string());
        if (exported.snapshot) {
            history.previous.snapshot =
                mergeSnapshots(std::move(*history.previous.snapshot), std::move(exported.snapshot));
        }
    }
    return history;
}

QFuture<DecodedHistory> decodeOnWorker(PublishedSnapshot published, LocalExport localExport,
                                       std::string knownExport, bool withExport) {
    return QtConcurrent::run(QThreadPool::globalInstance(), [published = std::move(published),
                                                             localExport = std::move(localExport),
                                                             knownExport = std::move(knownExport),
                                                             withExport] {
        try {
            return decodeHistory(published, localExport, knownExport, withExport);
        } catch (...) {
            DecodedHistory failed;
            failed.error = std::current_exception();
            return failed;
        }
    });
}

// The merge of one attempt, made on a worker thread.
struct MergeOutcome {
    std::shared_ptr<const EncodedSnapshot> snapshot;
    std::shared_ptr<const OscarSnapshot> merged;
    PublishedChanges changes;
    std::exception_ptr error;
};

QFuture<MergeOutcome> mergeOnWorker(std::shared_ptr<const OscarSnapshot> imported,
                                    std::shared_ptr<std::optional<OscarSnapshot>> previous) {
    return QtConcurrent::run(QThreadPool::globalInstance(), [imported = std::move(imported),
                                                             previous = std::move(previous)] {
        MergeOutcome outcome;
        try {
            // Kept to tell what the merge changes; the merge takes its own.
            const std::optional<OscarSnapshot> before = *previous;
            OscarSnapshot merged = mergeSnapshots(*imported, std::move(*previous));
            outcome.changes = comparePublished(merged, before);
            outcome.snapshot = std::make_shared<const EncodedSnapshot>(EncodedSnapshot::of(merged));
            outcome.merged = std::make_shared<const OscarSnapshot>(std::move(merged));
        } catch (...) {
            outcome.error = std::current_exception();
        }
        return outcome;
    });
}

bool isConflict(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const CloudError& error) {
        return error.code() == cloudcode::serverRecordChanged;
    } catch (...) {
        return false;
    }
}

// The store's version and the export file that holds its payload: while both hold, the next
// sync downloads nothing.
void rememberPublishedPair(Settings& defaults, const QString& changeTag,
                           const std::string& exportIdentity) {
    defaults.setValue(publishedChangeTagKey, changeTag);
    defaults.setValue(publishedExportKey, QString::fromStdString(exportIdentity));
}

// Writes `payload`, the store's current bytes, as the local export, and remembers the pair.
QCoro::Task<> keepExportInStep(const PublicationPlaces& places, std::string payload,
                               QString changeTag) {
    const auto written = std::make_shared<std::string>();
    std::function<void()> writeExport = [localExport = places.localExport,
                                         payload = std::move(payload),
                                         written] { *written = localExport.publish(payload); };
    auto writing = places.cloud->runBesidePublication(std::move(writeExport));
    co_await writing;
    rememberPublishedPair(*places.settings, changeTag, *written);
}

} // namespace

// The futures and tasks are named, never temporaries inside the co_await: g++ 12 destroys such
// objects twice.
QCoro::Task<PublishedHistory> readPublishedHistory(PublicationPlaces places, bool downloadAlways) {
    Settings& defaults = *places.settings;
    const std::string knownExport = defaults.value(publishedExportKey).toString().toStdString();
    const bool storeChanged = defaults.boolValue(CloudStoreChoice::storeChangedKey).value_or(false);
    // The payload is not downloaded while the export holds our last save's.
    QString skippedTag =
        downloadAlways ? QString() : defaults.value(publishedChangeTagKey).toString();
    for (;;) {
        auto fetching = places.cloud->fetchPublishedSnapshot(skippedTag);
        PublishedSnapshot published = co_await fetching;
        auto decoding = decodeOnWorker(published, places.localExport, knownExport, storeChanged);
        DecodedHistory decoded = co_await decoding;
        if (decoded.error) {
            std::rethrow_exception(decoded.error);
        }
        if (decoded.previous.needsPayload) {
            // The export changed since our last save: its payload is downloaded after all.
            skippedTag.clear();
            continue;
        }
        PublishedHistory history;
        history.storeHoldsPrevious =
            decoded.previous.source == PreviousSnapshot::Source::store && !decoded.mergedWithExport;
        history.previous = std::move(decoded.previous);
        history.published = std::move(published);
        co_return history;
    }
}

QCoro::Task<PublicationResult>
publishImportedSnapshot(PublicationPlaces places, std::shared_ptr<const OscarSnapshot> imported,
                        PublishedHistory history) {
    Settings& defaults = *places.settings;
    int conflicts = 0;
    for (;;) {
        auto merging = mergeOnWorker(imported, std::make_shared<std::optional<OscarSnapshot>>(
                                                   std::move(history.previous.snapshot)));
        MergeOutcome merged = co_await merging;
        if (merged.error) {
            std::rethrow_exception(merged.error);
        }
        PublishedSnapshot& published = history.published;
        if (!merged.changes.changesPublished && history.storeHoldsPrevious) {
            qCDebug(lcPublication) << "the card brings nothing new: nothing is written";
            if (!published.payloadIsKnown && published.payload && published.changeTag) {
                // The export is not the store's payload any more (deleted, damaged, or another
                // computer published since): it gets the store's bytes, the store is left alone.
                auto writing = keepExportInStep(places, *published.payload, *published.changeTag);
                co_await writing;
            }
            co_return PublicationResult{merged.snapshot->nightCount, 0, false, merged.merged};
        }

        // The identity of the export file as written, handed back from the service's thread.
        const auto written = std::make_shared<std::string>();
        const LocalExport localExport = places.localExport;
        const std::shared_ptr<const EncodedSnapshot> snapshot = merged.snapshot;
        std::function<void()> writeExport = [localExport, snapshot, written] {
            *written = localExport.publish(snapshot->json);
        };
        PublicationOutcome outcome;
        std::exception_ptr failure;
        try {
            auto publishing = places.cloud->publishSnapshot(snapshot, std::move(published),
                                                            std::move(writeExport));
            outcome = co_await publishing;
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            if (isConflict(failure) && ++conflicts < publicationAttempts) {
                // Another save came in between: merge with what it published.
                qCInfo(lcPublication)
                    << "another save came in between; merging again, attempt" << conflicts + 1;
                auto rereading = readPublishedHistory(places, true);
                history = co_await rereading;
                continue;
            }
            std::rethrow_exception(failure);
        }
        // The store holds the whole history now.
        defaults.remove(CloudStoreChoice::storeChangedKey);
        if (outcome.followUpFailure) {
            // The export is not the store's payload: the next sync downloads it.
            qCWarning(lcPublication).noquote()
                << "the store was saved but the local export was not:"
                << describeFailure(outcome.followUpFailure);
            defaults.remove(publishedChangeTagKey);
            defaults.remove(publishedExportKey);
            std::rethrow_exception(outcome.followUpFailure);
        }
        rememberPublishedPair(defaults, outcome.changeTag, *written);
        // So that a reset erases this copy too, whichever store is chosen then.
        rememberCurrentStore(defaults);
        co_return PublicationResult{snapshot->nightCount, merged.changes.newNights, true,
                                    merged.merged};
    }
}

} // namespace velunora
