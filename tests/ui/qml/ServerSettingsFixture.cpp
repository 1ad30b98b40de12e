#include "ServerSettingsFixture.h"

#include "sync/Settings.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/cloud/webdav/WebDAVTestServer.h"

namespace velunora {

namespace {

QString keyOf(const WebDAVAccount& account) {
    return account.baseUrl.toString() + QLatin1Char('\n') + account.user;
}

} // namespace

ServerSettingsFixture::ServerSettingsFixture(QObject* parent)
    : QObject(parent)
    , settings_(std::make_shared<MemorySettings>())
    , keyring_(std::make_shared<std::map<QString, QString>>()) {
    const QString storeFolder = folder_.filePath(QStringLiteral("store"));
    settings_->setValue(cloudsettings::folderKey.toString(), storeFolder);

    SyncEnvironment environment;
    environment.settings = settings_;
    environment.cloud = std::make_shared<CloudSnapshotService>(
        std::make_unique<LocalCloudStore>(storeFolder.toStdString()));
    environment.localExport = LocalExport(folder_.filePath(QStringLiteral("data")).toStdString());
    CloudStoreChoice::Services& services = environment.storeChoice;
    services.keepWebDAVPassword = [keyring = keyring_](const WebDAVAccount& account,
                                                       const QString& password) {
        (*keyring)[keyOf(account)] = password;
    };
    services.makeStore = [keyring =
                              keyring_](const Settings& settings) -> std::unique_ptr<CloudStore> {
        if (settings.value(cloudsettings::storeKey.toString()).toString() !=
            cloudsettings::webDAVStore) {
            return makeConfiguredCloudStore(settings);
        }
        const WebDAVAccount account{
            QUrl(settings.value(cloudsettings::webDAVURLKey.toString()).toString()),
            settings.value(cloudsettings::webDAVUserKey.toString()).toString()};
        const QString password = (*keyring)[keyOf(account)];
        return std::make_unique<WebDAVCloudStore>(account, [password] { return password; });
    };
    controller_ = std::make_unique<SyncController>(std::move(environment));
}

ServerSettingsFixture::~ServerSettingsFixture() = default;

bool ServerSettingsFixture::start() {
    if (!server_ && testing::WebDAVTestServer::available()) {
        server_ = std::make_unique<testing::WebDAVTestServer>(QStringLiteral("camille"),
                                                              QStringLiteral("nuit-calme"));
    }
    return server_ != nullptr;
}

QString ServerSettingsFixture::keptPassword() const {
    const WebDAVAccount account{QUrl(storeChoice()->webDAVAddress()), storeChoice()->webDAVUser()};
    const auto kept = keyring_->find(keyOf(account));
    return kept == keyring_->end() ? QString() : kept->second;
}

QString ServerSettingsFixture::address() const {
    return server_ ? server_->collectionUrl().toString() : QString();
}

QString ServerSettingsFixture::user() const {
    return server_ ? server_->user() : QString();
}

QString ServerSettingsFixture::password() const {
    return server_ ? server_->password() : QString();
}

} // namespace velunora
