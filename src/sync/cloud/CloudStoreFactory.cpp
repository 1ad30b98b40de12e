#include "sync/cloud/CloudStoreFactory.h"

#include "sync/Settings.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include <QFile>

namespace velunora {
namespace {

QString text(const Settings& defaults, QStringView key) {
    return defaults.value(key.toString()).toString().trimmed();
}

QString orBuilt(const QString& configured, const char* built) {
    return configured.isEmpty() ? QString::fromUtf8(built) : configured;
}

} // namespace

CloudKitContainer configuredCloudKitContainer(const Settings& defaults) {
    CloudKitContainer container;
    container.identifier =
        orBuilt(text(defaults, cloudsettings::iCloudContainerKey), VELUNORA_CLOUDKIT_CONTAINER);
    container.environment =
        orBuilt(text(defaults, cloudsettings::iCloudEnvironmentKey), VELUNORA_CLOUDKIT_ENVIRONMENT);
    container.apiToken =
        orBuilt(text(defaults, cloudsettings::iCloudAPITokenKey), VELUNORA_CLOUDKIT_API_TOKEN);
    if (const QString service = text(defaults, cloudsettings::iCloudServiceKey);
        !service.isEmpty()) {
        container.serviceURL = QUrl(service);
    }
    return container;
}

std::unique_ptr<CloudStore> makeConfiguredCloudStore(const Settings& defaults) {
    const QString store = text(defaults, cloudsettings::storeKey);
    if (store == cloudsettings::webDAVStore) {
        WebDAVAccount account{QUrl(text(defaults, cloudsettings::webDAVURLKey)),
                              text(defaults, cloudsettings::webDAVUserKey)};
        auto password = keychainPasswordSource(account);
        return std::make_unique<WebDAVCloudStore>(std::move(account), std::move(password));
    }
    if (store == cloudsettings::iCloudStore) {
        // Chosen but not configured, it fails every operation saying so, rather than publish
        // somewhere the user did not choose.
        const CloudKitContainer container = configuredCloudKitContainer(defaults);
        return std::make_unique<CloudKitCloudStore>(container, keychainWebAuthTokens(container));
    }
    const QString folder = text(defaults, cloudsettings::folderKey);
    return std::make_unique<LocalCloudStore>(
        folder.isEmpty() ? LocalCloudStore::defaultRoot()
                         : std::filesystem::path(QFile::encodeName(folder).toStdString()));
}

} // namespace velunora
