#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <optional>
#include <variant>

// The metadata file of a record of the local store ("record.json"): JSON with the record's type,
// change tag and typed fields. It sits in a folder that other programs may carry or touch, so its
// bytes are outside input.
namespace velunora::localstore {

// An asset field as the record file names it: its file inside the record folder.
struct AssetFile {
    QString fileName;
    friend bool operator==(const AssetFile&, const AssetFile&) = default;
};

using StoredFieldValue = std::variant<QDateTime, qint64, QString, AssetFile>;

struct StoredRecord {
    QString recordType;
    QString changeTag;
    std::map<QString, StoredFieldValue> fields;

    friend bool operator==(const StoredRecord&, const StoredRecord&) = default;
};

QByteArray encodeRecordFile(const StoredRecord& record);

// Nothing when the bytes are not a record file of ours; the store then takes the record for
// damaged.
std::optional<StoredRecord> decodeRecordFile(const QByteArray& bytes);

} // namespace velunora::localstore
