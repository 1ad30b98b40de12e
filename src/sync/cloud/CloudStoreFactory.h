#pragma once

#include "sync/cloud/CloudStore.h"

#include <QStringView>
#include <memory>

namespace velunora {

class UserDefaults;

// The user-defaults keys that choose the store.
namespace cloudsettings {
// "webdav" for a WebDAV server; anything else, or nothing, for the local store.
inline constexpr QStringView storeKey = u"cloud-store";
inline constexpr QStringView webDAVStore = u"webdav";
// The local store's root folder; its default when empty.
inline constexpr QStringView folderKey = u"cloud-folder";
inline constexpr QStringView webDAVURLKey = u"webdav-url";
inline constexpr QStringView webDAVUserKey = u"webdav-user";
} // namespace cloudsettings

// The store the user configured: a WebDAV server ("webdav-url", "webdav-user", the password in
// the desktop's keychain) when "cloud-store" is "webdav", else the embedded local store (root
// "cloud-folder", or its default).
std::unique_ptr<CloudStore> makeConfiguredCloudStore(const UserDefaults& defaults);

} // namespace velunora
