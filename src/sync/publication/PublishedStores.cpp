#include "sync/publication/PublishedStores.h"

#include "sync/Settings.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/local/LocalCloudStore.h"

#include <QFile>
#include <QVariantList>
#include <algorithm>

namespace velunora {
namespace {

// Every key that takes part in choosing the store.
constexpr QStringView storeKeys[] = {
    cloudsettings::storeKey,           cloudsettings::folderKey,
    cloudsettings::webDAVURLKey,       cloudsettings::webDAVUserKey,
    cloudsettings::iCloudContainerKey, cloudsettings::iCloudEnvironmentKey,
    cloudsettings::iCloudAPITokenKey,  cloudsettings::iCloudServiceKey,
};

QString text(const QVariantMap& store, QStringView key) {
    return store.value(key.toString()).toString().trimmed();
}

// What tells one store from another of its kind: not the API token, which changes.
QStringList identity(const QVariantMap& store) {
    const QString kind = text(store, cloudsettings::storeKey);
    if (kind == cloudsettings::webDAVStore) {
        return {kind, text(store, cloudsettings::webDAVURLKey),
                text(store, cloudsettings::webDAVUserKey)};
    }
    if (kind == cloudsettings::iCloudStore) {
        return {kind, text(store, cloudsettings::iCloudContainerKey),
                text(store, cloudsettings::iCloudEnvironmentKey),
                text(store, cloudsettings::iCloudServiceKey)};
    }
    const QString folder = text(store, cloudsettings::folderKey);
    return {QStringLiteral("local"),
            folder.isEmpty() ? QFile::decodeName(LocalCloudStore::defaultRoot().c_str()) : folder};
}

} // namespace

QVariantMap currentStoreSettings(const Settings& defaults) {
    QVariantMap store;
    for (const QStringView key : storeKeys) {
        const QVariant value = defaults.value(key.toString());
        if (value.isValid()) {
            store.insert(key.toString(), value);
        }
    }
    return store;
}

bool sameStore(const QVariantMap& first, const QVariantMap& second) {
    return identity(first) == identity(second);
}

QString describeStore(const QVariantMap& store) {
    const QStringList named = identity(store);
    if (named.front() == cloudsettings::iCloudStore) {
        return QStringLiteral("iCloud");
    }
    return named.at(1);
}

std::vector<QVariantMap> publishedStores(const Settings& defaults) {
    std::vector<QVariantMap> stores;
    for (const QVariant& entry : defaults.value(publishedStoresKey).toList()) {
        if (entry.canConvert<QVariantMap>()) {
            stores.push_back(entry.toMap());
        }
    }
    return stores;
}

void setPublishedStores(Settings& defaults, const std::vector<QVariantMap>& stores) {
    if (stores.empty()) {
        defaults.remove(publishedStoresKey);
        return;
    }
    QVariantList list;
    for (const QVariantMap& store : stores) {
        list.append(store);
    }
    defaults.setValue(publishedStoresKey, list);
}

void rememberCurrentStore(Settings& defaults) {
    std::vector<QVariantMap> stores = publishedStores(defaults);
    const QVariantMap current = currentStoreSettings(defaults);
    if (std::none_of(stores.begin(), stores.end(),
                     [&current](const QVariantMap& store) { return sameStore(store, current); })) {
        stores.push_back(current);
        setPublishedStores(defaults, stores);
    }
}

} // namespace velunora
