#pragma once

#include "sync/cloud/CloudStore.h"
#include "sync/cloud/HttpExchange.h"
#include "sync/cloud/Keychain.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include <QCoreApplication>
#include <QString>

namespace velunora {

// The texts of the WebDAV store. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct WebDAVCloudStoreTexts {
    Q_DECLARE_TR_FUNCTIONS(WebDAVCloudStoreTexts)
};

// What the WebDAV store tells the user when a server answers otherwise than it should.
namespace webdav {

CloudError recordChanged();
CloudError unexpectedAnswer(int status);
// A 207 answer whose XML does not read, or that lacks what every WebDAV server sends.
CloudError unreadableAnswer(const WebDAVAccount& account);
CloudError invalidName(const QString& name);
CloudError keychainFailure(keychain::Outcome outcome, const QString& user);
// The failure that an answer other than the expected ones stands for; logged once.
CloudError failureOf(const http::Answer& answer, const WebDAVAccount& account);

} // namespace webdav
} // namespace velunora
