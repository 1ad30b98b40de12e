#include "sync/publication/Reset.h"

#include "nights/ImportCache.h"
#include "sync/FailureText.h"
#include "sync/LastSync.h"
#include "sync/Settings.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/publication/PublishedStores.h"
#include "sync/publication/SnapshotPublication.h"

namespace velunora {
namespace {

// Deletes the record from the store the settings describe; the failure's text, if any (a store
// that holds no record is erased already).
std::optional<QString> eraseRecordIn(const QVariantMap& settings, const StoreMaker& makeStore) {
    try {
        MemorySettings described;
        for (auto entry = settings.begin(); entry != settings.end(); ++entry) {
            described.setValue(entry.key(), entry.value());
        }
        makeStore(described)->remove();
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            return error.localizedDescription();
        }
    } catch (...) {
        return describeFailure(std::current_exception());
    }
    return std::nullopt;
}

} // namespace

QCoro::Task<std::vector<UnerasedStore>> eraseEveryCopy(ResetPlaces places) {
    Settings& settings = *places.settings;
    const QVariantMap current = currentStoreSettings(settings);
    std::vector<QVariantMap> earlierStores;
    for (QVariantMap& store : publishedStores(settings)) {
        if (!sameStore(store, current)) {
            earlierStores.push_back(std::move(store));
        }
    }
    const auto unerased = std::make_shared<std::vector<UnerasedStore>>();
    // The files go in the same turn of the service as the record, after it: nothing queued
    // there can write the export back in between.
    std::function<void()> removeCopies = [localExport = places.localExport, earlierStores,
                                          makeStore = places.makeStore, unerased] {
        for (const QVariantMap& store : earlierStores) {
            if (auto notErased = eraseRecordIn(store, makeStore)) {
                unerased->push_back({store, *notErased});
            }
        }
        localExport.removeFiles();
    };
    auto deleting = places.cloud->deleteSnapshot(std::move(removeCopies));
    co_await deleting;

    settings.remove(publishedChangeTagKey);
    settings.remove(publishedExportKey);
    LastSync::forget(settings);
    settings.remove(legacyFolderLocationKey);
    settings.remove(CloudStoreChoice::storeChangedKey);
    // What the imports kept of the cards holds the nights too.
    if (!places.importCacheFolder.empty()) {
        removeImportCaches(places.importCacheFolder);
    }
    std::vector<QVariantMap> kept;
    for (const UnerasedStore& store : *unerased) {
        kept.push_back(store.store);
    }
    setPublishedStores(settings, kept);
    co_return std::move(*unerased);
}

} // namespace velunora
