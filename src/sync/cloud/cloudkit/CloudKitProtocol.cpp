#include "sync/cloud/cloudkit/CloudKitProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <cmath>

namespace velunora::cloudkit {
namespace {

// Field types as the service names them; a date travels as milliseconds since 1970.
const QString timestampType = QStringLiteral("TIMESTAMP");
const QString integerType = QStringLiteral("INT64");
const QString textType = QStringLiteral("STRING");
const QString assetType = QStringLiteral("ASSETID");

const QString defaultZone = QStringLiteral("_defaultZone");

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject zone() {
    return QJsonObject{{QStringLiteral("zoneName"), defaultZone}};
}

std::optional<QJsonObject> objectOf(const QByteArray& body) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

// A whole number that a double holds exactly: JSON numbers reach us as doubles.
std::optional<qint64> wholeNumber(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    constexpr double limit = 9007199254740992.0; // 2^53
    if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > limit) {
        return std::nullopt;
    }
    return static_cast<qint64>(number);
}

QJsonObject fieldOf(const CloudFieldValue& value) {
    if (const auto* date = std::get_if<QDateTime>(&value)) {
        return {{QStringLiteral("value"), static_cast<double>(date->toMSecsSinceEpoch())},
                {QStringLiteral("type"), timestampType}};
    }
    if (const auto* integer = std::get_if<qint64>(&value)) {
        return {{QStringLiteral("value"), static_cast<double>(*integer)},
                {QStringLiteral("type"), integerType}};
    }
    return {{QStringLiteral("value"), std::get<QString>(value)},
            {QStringLiteral("type"), textType}};
}

ServiceError errorOf(const QJsonObject& object) {
    ServiceError error;
    error.serverErrorCode = object.value(QStringLiteral("serverErrorCode")).toString();
    if (const auto seconds = wholeNumber(object.value(QStringLiteral("retryAfter")));
        seconds && *seconds >= 0) {
        error.retryAfterSeconds = seconds;
    }
    const QUrl redirect(object.value(QStringLiteral("redirectURL")).toString());
    if (redirect.isValid() && !redirect.isRelative()) {
        error.redirectURL = redirect;
    }
    return error;
}

// A date the calendar can hold; the service's own are milliseconds since 1970.
std::optional<QDateTime> dateOf(const QJsonValue& value) {
    const auto milliseconds = wholeNumber(value);
    if (!milliseconds) {
        return std::nullopt;
    }
    QDateTime date = QDateTime::fromMSecsSinceEpoch(*milliseconds, Qt::UTC);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

std::optional<StoredRecord> recordOf(const QJsonObject& object) {
    StoredRecord stored;
    CloudRecord& record = stored.record;
    record.recordName = object.value(QStringLiteral("recordName")).toString();
    record.recordType = object.value(QStringLiteral("recordType")).toString();
    record.changeTag = object.value(QStringLiteral("recordChangeTag")).toString();
    if (record.recordName.isEmpty() || record.changeTag.isEmpty()) {
        return std::nullopt;
    }
    const QJsonObject fields = object.value(QStringLiteral("fields")).toObject();
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        const QJsonObject entry = field.value().toObject();
        const QJsonValue value = entry.value(QStringLiteral("value"));
        const QString type = entry.value(QStringLiteral("type")).toString();
        if (type == assetType || (type.isEmpty() && value.isObject())) {
            const QUrl download(value.toObject().value(QStringLiteral("downloadURL")).toString());
            if (download.isValid() && !download.isRelative()) {
                stored.assetDownloads.insert_or_assign(field.key(), download);
            }
        } else if (type == timestampType) {
            if (auto date = dateOf(value)) {
                record.fields.insert_or_assign(field.key(), *date);
            }
        } else if (value.isString()) {
            record.fields.insert_or_assign(field.key(), value.toString());
        } else if (const auto integer = wholeNumber(value)) {
            record.fields.insert_or_assign(field.key(), *integer);
        }
        // Other types (lists, locations, references…) are none of ours.
    }
    return stored;
}

} // namespace

QByteArray lookupRequest(const QString& recordName) {
    return compact({{QStringLiteral("zoneID"), zone()},
                    {QStringLiteral("records"),
                     QJsonArray{QJsonObject{{QStringLiteral("recordName"), recordName}}}}});
}

QByteArray modifyRequest(const CloudRecord& record,
                         const std::map<QString, QJsonObject>& uploadedAssets) {
    QJsonObject fields;
    for (const auto& [name, value] : record.fields) {
        if (std::holds_alternative<CloudAsset>(value)) {
            if (const auto uploaded = uploadedAssets.find(name); uploaded != uploadedAssets.end()) {
                fields.insert(name, QJsonObject{{QStringLiteral("value"), uploaded->second},
                                                {QStringLiteral("type"), assetType}});
            }
            continue;
        }
        fields.insert(name, fieldOf(value));
    }
    QJsonObject stored{{QStringLiteral("recordName"), record.recordName},
                       {QStringLiteral("recordType"), record.recordType},
                       {QStringLiteral("fields"), fields}};
    const bool isNew = record.changeTag.isEmpty();
    if (!isNew) {
        stored.insert(QStringLiteral("recordChangeTag"), record.changeTag);
    }
    const QJsonObject operation{{QStringLiteral("operationType"),
                                 isNew ? QStringLiteral("create") : QStringLiteral("update")},
                                {QStringLiteral("record"), stored}};
    return compact({{QStringLiteral("zoneID"), zone()},
                    {QStringLiteral("operations"), QJsonArray{operation}}});
}

QByteArray deleteRequest(const QString& recordName) {
    const QJsonObject operation{
        {QStringLiteral("operationType"), QStringLiteral("forceDelete")},
        {QStringLiteral("record"), QJsonObject{{QStringLiteral("recordName"), recordName}}}};
    return compact({{QStringLiteral("zoneID"), zone()},
                    {QStringLiteral("operations"), QJsonArray{operation}}});
}

QByteArray uploadRequest(const QString& recordType, const QString& recordName,
                         const QString& fieldName) {
    const QJsonObject token{{QStringLiteral("recordType"), recordType},
                            {QStringLiteral("recordName"), recordName},
                            {QStringLiteral("fieldName"), fieldName}};
    return compact(
        {{QStringLiteral("zoneID"), zone()}, {QStringLiteral("tokens"), QJsonArray{token}}});
}

std::optional<std::vector<RecordResult>> parseRecordsAnswer(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object || !object->value(QStringLiteral("records")).isArray()) {
        return std::nullopt;
    }
    std::vector<RecordResult> results;
    for (const QJsonValue& entry : object->value(QStringLiteral("records")).toArray()) {
        const QJsonObject record = entry.toObject();
        if (record.contains(QStringLiteral("serverErrorCode"))) {
            results.emplace_back(errorOf(record));
        } else if (auto stored = recordOf(record)) {
            results.emplace_back(std::move(*stored));
        } else if (record.value(QStringLiteral("deleted")).toBool()) {
            results.emplace_back(StoredRecord{});
        } else {
            return std::nullopt;
        }
    }
    return results;
}

std::optional<ServiceError> parseServiceError(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object || !object->value(QStringLiteral("serverErrorCode")).isString()) {
        return std::nullopt;
    }
    return errorOf(*object);
}

std::optional<QUrl> parseUploadURL(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const QJsonArray tokens = object->value(QStringLiteral("tokens")).toArray();
    if (tokens.size() != 1) {
        return std::nullopt;
    }
    const QUrl url(tokens.first().toObject().value(QStringLiteral("url")).toString());
    if (!url.isValid() || url.isRelative()) {
        return std::nullopt;
    }
    return url;
}

std::optional<QJsonObject> parseUploadedFile(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const QJsonObject file = object->value(QStringLiteral("singleFile")).toObject();
    if (!file.value(QStringLiteral("receipt")).isString()) {
        return std::nullopt;
    }
    return file;
}

std::optional<QString> parseNewWebAuthToken(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const QString token = object->value(QStringLiteral("ckWebAuthToken")).toString();
    return token.isEmpty() ? std::nullopt : std::optional(token);
}

std::optional<QString> parseCallerName(const QByteArray& body) {
    const auto object = objectOf(body);
    if (!object) {
        return std::nullopt;
    }
    const QJsonArray users = object->value(QStringLiteral("users")).toArray();
    if (users.size() != 1 || !users.first().isObject()) {
        return std::nullopt;
    }
    const QJsonObject user = users.first().toObject();
    const QJsonObject components = user.value(QStringLiteral("nameComponents")).toObject();
    QStringList parts;
    for (const QString& key : {QStringLiteral("givenName"), QStringLiteral("familyName")}) {
        // Control characters would let a name rewrite the line it is printed on.
        QString part = components.value(key).toString().simplified();
        part.removeIf([](QChar character) {
            return character.category() == QChar::Other_Control ||
                   character.category() == QChar::Other_Format;
        });
        if (!part.isEmpty()) {
            parts.append(part);
        }
    }
    return parts.join(u' ').left(200);
}

} // namespace velunora::cloudkit
