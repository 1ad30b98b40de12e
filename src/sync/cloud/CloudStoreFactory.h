#pragma once

#include "sync/cloud/CloudStore.h"
#include "sync/cloud/cloudkit/CloudKitCloudStore.h"

#include <QStringView>
#include <memory>

namespace velunora {

class Settings;

// The user-defaults keys that choose the store.
namespace cloudsettings {
// "webdav" for a WebDAV server, "icloud" for iCloud; anything else, or nothing, for the local
// store.
inline constexpr QStringView storeKey = u"cloud-store";
inline constexpr QStringView webDAVStore = u"webdav";
inline constexpr QStringView iCloudStore = u"icloud";
// The local store's root folder; its default when empty.
inline constexpr QStringView folderKey = u"cloud-folder";
inline constexpr QStringView webDAVURLKey = u"webdav-url";
inline constexpr QStringView webDAVUserKey = u"webdav-user";
// What the build says of the iCloud container, overridden when set: its identifier, its
// environment, its API token, and the service's address (for a stand-in).
inline constexpr QStringView iCloudContainerKey = u"icloud-container";
inline constexpr QStringView iCloudEnvironmentKey = u"icloud-environment";
inline constexpr QStringView iCloudAPITokenKey = u"icloud-api-token";
inline constexpr QStringView iCloudServiceKey = u"icloud-service-url";
} // namespace cloudsettings

// The iCloud container of the build, with what the settings override.
CloudKitContainer configuredCloudKitContainer(const Settings& defaults);

// The store the user configured: a WebDAV server ("webdav-url", "webdav-user", the password in
// the desktop's keychain) when "cloud-store" is "webdav", iCloud (the sign-in in the keychain)
// when it is "icloud", else the embedded local store (root "cloud-folder", or its default).
std::unique_ptr<CloudStore> makeConfiguredCloudStore(const Settings& defaults);

} // namespace velunora
