#include "sync/cloud/CloudStoreFactory.h"

#include "sync/UserDefaults.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include <QFile>

namespace velunora {

std::unique_ptr<CloudStore> makeConfiguredCloudStore(const UserDefaults& defaults) {
    const auto text = [&defaults](QStringView key) {
        return defaults.value(key.toString()).toString().trimmed();
    };
    if (text(cloudsettings::storeKey) == cloudsettings::webDAVStore) {
        WebDAVAccount account{QUrl(text(cloudsettings::webDAVURLKey)),
                              text(cloudsettings::webDAVUserKey)};
        auto password = keychainPasswordSource(account);
        return std::make_unique<WebDAVCloudStore>(std::move(account), std::move(password));
    }
    const QString folder = text(cloudsettings::folderKey);
    return std::make_unique<LocalCloudStore>(
        folder.isEmpty() ? LocalCloudStore::defaultRoot()
                         : std::filesystem::path(QFile::encodeName(folder).toStdString()));
}

} // namespace velunora
