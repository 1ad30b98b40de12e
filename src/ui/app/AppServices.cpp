#include "ui/app/AppServices.h"

#include "cardimport/PAPCardImporter.h"
#include "sync/SystemLocations.h"
#include "sync/card/CardLocation.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/desktop/AutostartEntry.h"
#include "sync/desktop/FileRevealer.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/publication/LocalExport.h"
#include "sync/volumes/VolumeSource.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>

namespace velunora {
namespace {

// The app's icon drawn for the notices; the desktop shows it whether or not the app is installed.
NotificationImage notificationIcon() {
    constexpr int side = 64;
    QImage image(side, side, QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/velunora/icons/velunora-sync.svg"));
    if (!renderer.isValid()) {
        return {};
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return {side, side,
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes())};
}

} // namespace

SyncEnvironment makeAppEnvironment(std::shared_ptr<Settings> settings) {
    SyncEnvironment environment;
    environment.settings = settings;
    environment.cloud = std::make_shared<CloudSnapshotService>(
        makeConfiguredCloudStore(*settings), systemlocations::publicationLockFile());
    environment.localExport = LocalExport::standard();
    environment.revealer = std::make_shared<DesktopFileRevealer>();
    environment.cardLocations =
        std::make_shared<CardLocations>(std::make_shared<SystemFileSystemLocator>());
    environment.volumes = makeStandardVolumeSource();
    environment.autostartEntry =
        std::make_shared<DesktopAutostartEntry>(DesktopAutostartEntry::standard());
    environment.notifier =
        std::make_shared<DesktopSyncNotifier>(QDBusConnection::sessionBus(), notificationIcon());
    environment.importCacheFolder = systemlocations::importCacheFolder();
    environment.makeRegistry = [folder = environment.importCacheFolder] {
        return PAPCardImportRegistry::standard(folder);
    };
    environment.storeChoice =
        CloudStoreChoice::Services::standard(settings, environment.cloud, nullptr);
    environment.storeChoice.openPage = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    return environment;
}

} // namespace velunora
