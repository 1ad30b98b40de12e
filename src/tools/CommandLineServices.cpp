#include "tools/CommandLineServices.h"

#include "cardimport/PAPCardImporter.h"
#include "sync/Settings.h"
#include "sync/SystemLocations.h"
#include "sync/card/CardLocation.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/publication/LocalExport.h"

namespace velunora {

SyncEnvironment makeCommandLineEnvironment() {
    SyncEnvironment environment;
    const auto settings = std::make_shared<SettingsFile>();
    environment.settings = settings;
    environment.cloud = std::make_shared<CloudSnapshotService>(
        makeConfiguredCloudStore(*settings), systemlocations::publicationLockFile());
    environment.localExport = LocalExport::standard();
    // The command line prints its outcome; the nights published before are not shown.
    environment.showsPublishedNights = false;
    environment.cardLocations =
        std::make_shared<CardLocations>(std::make_shared<SystemFileSystemLocator>());
    environment.importCacheFolder = systemlocations::importCacheFolder();
    environment.makeRegistry = [folder = environment.importCacheFolder] {
        return PAPCardImportRegistry::standard(folder);
    };
    environment.storeChoice =
        CloudStoreChoice::Services::standard(settings, environment.cloud, nullptr);
    return environment;
}

} // namespace velunora
