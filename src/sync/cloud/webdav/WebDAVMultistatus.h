#pragma once

#include "sync/cloud/RecordStore.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>

// The WebDAV answers the store reads: a 207 Multi-Status body about one resource.
namespace velunora::webdav {

inline const QString davNamespace = QStringLiteral("DAV:");
// Our dead properties: the record type and the typed value elements.
inline const QString ownNamespace = QStringLiteral("https://velunora.app/ns");
// One dead property per field, named after the field.
inline const QString fieldNamespace = QStringLiteral("https://velunora.app/ns/fields");

// What a PROPFIND told about the resource, from its propstat blocks with a 2xx status.
struct Properties {
    QString etag;
    QString recordType;
    std::map<QString, CloudFieldValue> fields;
};

// Reads a 207 Multi-Status answer; nothing when it is not one. `allSucceeded`, when given, tells
// whether every propstat had a 2xx status.
std::optional<Properties> parseMultistatus(const QByteArray& body, bool* allSucceeded = nullptr);

} // namespace velunora::webdav
