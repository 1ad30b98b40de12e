#include "sync/publication/SnapshotPublication.h"

#include "sync/UserDefaults.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/EncodedSnapshot.h"
#include "sync/publication/PreviousSnapshot.h"
#include "sync/publication/SnapshotMerge.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent>
#include <qcoro/qcorofuture.h>

namespace velunora {
namespace {

// The merge of one attempt, made on a worker thread.
struct MergeOutcome {
    std::shared_ptr<const EncodedSnapshot> snapshot;
    PublishedChanges changes;
    // The store holds the history merged with already: nothing to write when nothing changed.
    bool storeHoldsPrevious = false;
    bool needsPayload = false;
    std::exception_ptr error;
};

// `withExport`: the store was just changed, so the local export's nights are kept as well as
// the new store's (which win for the same night).
MergeOutcome mergeWithPublished(const OscarSnapshot& imported, const PublishedSnapshot& published,
                                const LocalExport& localExport, const std::string& knownExport,
                                bool withExport) {
    PreviousSnapshot previous = choosePreviousSnapshot(published, localExport, knownExport);
    if (previous.needsPayload) {
        return {nullptr, {}, false, true, nullptr};
    }
    const bool mergedWithExport = withExport && published.record && previous.snapshot;
    if (mergedWithExport) {
        PreviousSnapshot exported =
            choosePreviousSnapshot(PublishedSnapshot{}, localExport, std::string());
        if (exported.snapshot) {
            previous.snapshot =
                mergeSnapshots(std::move(*previous.snapshot), std::move(exported.snapshot));
        }
    }
    // Kept to tell what the merge changes; the merge takes its own.
    const std::optional<OscarSnapshot> before = previous.snapshot;
    OscarSnapshot merged = mergeSnapshots(imported, std::move(previous.snapshot));
    MergeOutcome outcome;
    outcome.changes = comparePublished(merged, before);
    outcome.storeHoldsPrevious =
        previous.source == PreviousSnapshot::Source::store && !mergedWithExport;
    outcome.snapshot = std::make_shared<const EncodedSnapshot>(EncodedSnapshot::of(merged));
    return outcome;
}

QFuture<MergeOutcome> mergeOnWorker(std::shared_ptr<const OscarSnapshot> imported,
                                    PublishedSnapshot published, LocalExport localExport,
                                    std::string knownExport, bool withExport) {
    return QtConcurrent::run(QThreadPool::globalInstance(),
                             [imported = std::move(imported), published = std::move(published),
                              localExport = std::move(localExport), knownExport,
                              withExport]() -> MergeOutcome {
                                 try {
                                     return mergeWithPublished(*imported, published, localExport,
                                                               knownExport, withExport);
                                 } catch (...) {
                                     MergeOutcome failed;
                                     failed.error = std::current_exception();
                                     return failed;
                                 }
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

// Writes `payload`, the store's current bytes, as the local export, and remembers the pair.
QCoro::Task<> keepExportInStep(const PublicationPlaces& places, std::string payload,
                               QString changeTag) {
    const auto written = std::make_shared<std::string>();
    std::function<void()> writeExport = [localExport = places.localExport,
                                         payload = std::move(payload), written] {
        localExport.removeLeftovers();
        localExport.writeLocalExport(payload);
        *written = localExport.exportIdentity();
    };
    auto writing = places.cloud->runBesidePublication(std::move(writeExport));
    co_await writing;
    places.userDefaults->setValue(publishedChangeTagKey, changeTag);
    places.userDefaults->setValue(publishedExportKey, QString::fromStdString(*written));
}

} // namespace

// The futures and tasks are named, never temporaries inside the co_await: g++ 12 destroys such
// objects twice.
QCoro::Task<PublicationResult>
publishImportedSnapshot(PublicationPlaces places, std::shared_ptr<const OscarSnapshot> imported) {
    UserDefaults& defaults = *places.userDefaults;
    const std::string knownExport = defaults.value(publishedExportKey).toString().toStdString();
    const bool storeChanged = defaults.boolValue(CloudStoreChoice::storeChangedKey).value_or(false);
    // The payload is not downloaded while the export holds our last save's; after a conflict,
    // or when the export changed, it is.
    QString skippedTag = defaults.value(publishedChangeTagKey).toString();
    int conflicts = 0;
    for (;;) {
        auto fetching = places.cloud->fetchPublishedSnapshot(skippedTag);
        PublishedSnapshot published = co_await fetching;
        auto merging =
            mergeOnWorker(imported, published, places.localExport, knownExport, storeChanged);
        MergeOutcome merged = co_await merging;
        if (merged.error) {
            std::rethrow_exception(merged.error);
        }
        if (merged.needsPayload) {
            skippedTag.clear();
            continue;
        }
        if (!merged.changes.changesPublished && merged.storeHoldsPrevious) {
            if (!published.payloadIsKnown && published.payload && published.record) {
                // The export is not the store's payload any more (deleted, damaged, or another
                // computer published since): it gets the store's bytes, the store is left alone.
                auto writing =
                    keepExportInStep(places, *published.payload, published.record->changeTag);
                co_await writing;
            }
            co_return PublicationResult{merged.snapshot->nightCount, 0, false};
        }

        // The identity of the export file as written, handed back from the service's thread.
        const auto written = std::make_shared<std::string>();
        const LocalExport localExport = places.localExport;
        const std::shared_ptr<const EncodedSnapshot> snapshot = merged.snapshot;
        std::function<void()> writeExport = [localExport, snapshot, written] {
            localExport.removeLeftovers();
            localExport.writeLocalExport(snapshot->json);
            *written = localExport.exportIdentity();
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
                skippedTag.clear();
                continue;
            }
            std::rethrow_exception(failure);
        }
        // The store holds the whole history now.
        defaults.remove(CloudStoreChoice::storeChangedKey);
        if (outcome.followUpFailure) {
            // The export is not the store's payload: the next sync downloads it.
            defaults.remove(publishedChangeTagKey);
            defaults.remove(publishedExportKey);
            std::rethrow_exception(outcome.followUpFailure);
        }
        defaults.setValue(publishedChangeTagKey, outcome.changeTag);
        defaults.setValue(publishedExportKey, QString::fromStdString(*written));
        co_return PublicationResult{snapshot->nightCount, merged.changes.newNights, true};
    }
}

} // namespace velunora
