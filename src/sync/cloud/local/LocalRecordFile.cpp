#include "sync/cloud/local/LocalRecordFile.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace velunora::localstore {
namespace {

QJsonObject toJson(const StoredFieldValue& value) {
    if (const auto* date = std::get_if<QDateTime>(&value)) {
        return {{QStringLiteral("date"), date->toUTC().toString(Qt::ISODateWithMs)}};
    }
    if (const auto* integer = std::get_if<qint64>(&value)) {
        // As text: a JSON number loses the low bits beyond 2^53.
        return {{QStringLiteral("integer"), QString::number(*integer)}};
    }
    if (const auto* text = std::get_if<QString>(&value)) {
        return {{QStringLiteral("text"), *text}};
    }
    return {{QStringLiteral("asset"), std::get<AssetFile>(value).fileName}};
}

std::optional<StoredFieldValue> fromJson(const QJsonObject& json) {
    if (json.size() != 1 || !json.begin().value().isString()) {
        return std::nullopt;
    }
    const QString kind = json.begin().key();
    const QString text = json.begin().value().toString();
    if (kind == QStringLiteral("date")) {
        // Empty for no date. A date whose UTC form ISO text cannot hold (beyond the years 1 to
        // 9999) could not be saved again.
        const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
        return text.isEmpty() || !date.toString(Qt::ISODateWithMs).isEmpty()
                   ? std::optional<StoredFieldValue>(date)
                   : std::nullopt;
    }
    if (kind == QStringLiteral("integer")) {
        bool valid = false;
        const qint64 integer = text.toLongLong(&valid);
        return valid ? std::optional<StoredFieldValue>(integer) : std::nullopt;
    }
    if (kind == QStringLiteral("text")) {
        return StoredFieldValue(text);
    }
    if (kind == QStringLiteral("asset")) {
        return StoredFieldValue(AssetFile{text});
    }
    return std::nullopt;
}

} // namespace

QByteArray encodeRecordFile(const StoredRecord& record) {
    QJsonObject fields;
    for (const auto& [name, value] : record.fields) {
        fields.insert(name, toJson(value));
    }
    const QJsonObject json{{QStringLiteral("recordType"), record.recordType},
                           {QStringLiteral("changeTag"), record.changeTag},
                           {QStringLiteral("fields"), fields}};
    // Qt's reader drops a U+FEFF that opens a string, taking it for a byte order mark; it keeps
    // the escaped form. Only that character's UTF-8 holds these bytes.
    return QJsonDocument(json).toJson().replace(QByteArrayView("\xef\xbb\xbf"),
                                                QByteArrayView("\\ufeff"));
}

std::optional<StoredRecord> decodeRecordFile(const QByteArray& bytes) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject json = document.object();
    if (parseError.error != QJsonParseError::NoError || !json[u"recordType"].isString() ||
        !json[u"changeTag"].isString() || !json[u"fields"].isObject()) {
        return std::nullopt;
    }
    StoredRecord record{json[u"recordType"].toString(), json[u"changeTag"].toString(), {}};
    const QJsonObject fields = json[u"fields"].toObject();
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        auto value = fromJson(field.value().toObject());
        if (!value) {
            return std::nullopt;
        }
        record.fields.emplace(field.key(), std::move(*value));
    }
    return record;
}

} // namespace velunora::localstore
