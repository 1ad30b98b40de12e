#pragma once

#include <QString>
#include <QVariantMap>
#include <vector>

namespace velunora {

class Settings;

// The stores this computer has published into, each as the settings described it then (the
// store's kind, folder, address, account, container), so that a reset erases every copy and not
// only the one in the store chosen now.
inline const QString publishedStoresKey = QStringLiteral("published-stores");

// The settings that say which store the nights go to now.
QVariantMap currentStoreSettings(const Settings& defaults);
// Two descriptions name the same store.
bool sameStore(const QVariantMap& first, const QVariantMap& second);
// The store in words, for a message: its folder, its address, or iCloud.
QString describeStore(const QVariantMap& store);

// Adds the store chosen now to the list, once.
void rememberCurrentStore(Settings& defaults);
std::vector<QVariantMap> publishedStores(const Settings& defaults);
void setPublishedStores(Settings& defaults, const std::vector<QVariantMap>& stores);

} // namespace velunora
