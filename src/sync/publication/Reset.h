#pragma once

#include "sync/cloud/CloudStoreChoice.h"
#include "sync/publication/LocalExport.h"

#include <QString>
#include <QVariantMap>
#include <filesystem>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>
#include <vector>

namespace velunora {

class CloudSnapshotService;
class Settings;

// Builds the store that settings describe.
using StoreMaker = std::function<std::unique_ptr<CloudStore>(const Settings&)>;

// Where a reset erases: every copy this computer published.
struct ResetPlaces {
    std::shared_ptr<Settings> settings;
    // On the store chosen now.
    std::shared_ptr<CloudSnapshotService> cloud;
    LocalExport localExport{std::filesystem::path()};
    // Reaches the stores published into before the one chosen now.
    StoreMaker makeStore;
    // Empty: no import cache is kept.
    std::filesystem::path importCacheFolder;
};

// A store published into before that still holds the nights, and why.
struct UnerasedStore {
    QVariantMap store;
    QString reason;
};

// The saved location of a card folder chosen by an early version, which a reset forgets.
inline const QString legacyFolderLocationKey = QStringLiteral("oscar-folder-bookmark");

// Erases the record of the store chosen now and then, in the same turn of its service, the
// record of every store published into before and the local export; then the import caches
// and what the settings remember of the publications. Throws what failed on the store chosen
// now (nothing is forgotten then). Gives the earlier stores that could not be erased, which
// stay listed for the next reset.
QCoro::Task<std::vector<UnerasedStore>> eraseEveryCopy(ResetPlaces places);

} // namespace velunora
