#pragma once

#include "sync/cloud/CloudStore.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>

// The metadata file of a record of the local store ("record.json"): JSON with the record's type,
// change tag and typed fields. It sits in a folder that other programs may carry or touch, so its
// bytes are outside input.
namespace velunora::localstore {

struct StoredRecord {
    QString recordType;
    QString changeTag;
    // Asset fields hold the name of their file inside the record folder.
    std::map<QString, CloudFieldValue> fields;

    friend bool operator==(const StoredRecord&, const StoredRecord&) = default;
};

QByteArray encodeRecordFile(const StoredRecord& record);

// Nothing when the bytes are not a record file of ours; the store then takes the record for
// damaged.
std::optional<StoredRecord> decodeRecordFile(const QByteArray& bytes);

} // namespace velunora::localstore
