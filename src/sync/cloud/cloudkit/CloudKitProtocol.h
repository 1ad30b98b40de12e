#pragma once

#include "sync/cloud/RecordStore.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <map>
#include <optional>
#include <variant>
#include <vector>

// The JSON that CloudKit Web Services exchange about records and assets: the bodies we send, and
// what we read back from the service's answers. Nothing here talks to the network.
namespace velunora::cloudkit {

// The error dictionary of the service, for a whole request or for one record.
struct ServiceError {
    QString serverErrorCode; // "NOT_FOUND", "CONFLICT", "AUTHENTICATION_REQUIRED"…
    // Seconds to wait before trying again; nothing when the service gives none.
    std::optional<qint64> retryAfterSeconds;
    // The sign-in page, with AUTHENTICATION_REQUIRED.
    QUrl redirectURL;
};

// A record as the service holds it: its non-asset fields (dates, 64-bit integers, texts), and
// where each of its assets can be downloaded.
struct StoredRecord {
    CloudRecord record;
    std::map<QString, QUrl> assetDownloads;
};

using RecordResult = std::variant<StoredRecord, ServiceError>;

QByteArray lookupRequest(const QString& recordName);
// One operation on the default zone: a `create` for a record never saved (no change tag), else
// an `update` that the service refuses with CONFLICT when the stored tag is another; fields
// not named stay as stored. `uploadedAssets` holds, per asset field, what the upload answered.
QByteArray modifyRequest(const CloudRecord& record,
                         const std::map<QString, QJsonObject>& uploadedAssets);
// Deletes whatever version is stored.
QByteArray deleteRequest(const QString& recordName);
QByteArray uploadRequest(const QString& recordType, const QString& recordName,
                         const QString& fieldName);

// The `records` of a lookup or modify answer, one per record asked; nothing when the body is no
// such answer.
std::optional<std::vector<RecordResult>> parseRecordsAnswer(const QByteArray& body);
// The error dictionary of a failed request; nothing when the body holds none.
std::optional<ServiceError> parseServiceError(const QByteArray& body);
// Where to send the file of an upload request's one token.
std::optional<QUrl> parseUploadURL(const QByteArray& body);
// What an upload answered ("singleFile"), to be put into the asset field as it is.
std::optional<QJsonObject> parseUploadedFile(const QByteArray& body);
// The web auth token an answer body hands back for the next request, if any.
std::optional<QString> parseNewWebAuthToken(const QByteArray& body);
// The name of the signed-in user from a users/caller answer: its one user identity's name
// components, given name then family name; an empty name when the identity has none, nothing
// when the body is no such answer.
std::optional<QString> parseCallerName(const QByteArray& body);

} // namespace velunora::cloudkit
