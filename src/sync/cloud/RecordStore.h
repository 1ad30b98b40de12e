#pragma once

#include "sync/cloud/CloudStore.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace velunora {

// The bytes a save uploads as a field, shared with the upload they come from.
struct CloudAsset {
    std::shared_ptr<const std::string> bytes;

    // Empty when there are none.
    std::string_view view() const noexcept {
        return bytes ? std::string_view(*bytes) : std::string_view();
    }
    friend bool operator==(const CloudAsset& first, const CloudAsset& second) noexcept {
        return first.view() == second.view();
    }
};

using CloudFieldValue = std::variant<QDateTime, qint64, QString, CloudAsset>;

// One record of a record-shaped store: its type and name, the change tag the store handed out
// when it was fetched (empty for a record that was never saved), and its fields.
struct CloudRecord {
    QString recordType;
    QString recordName;
    QString changeTag;
    std::map<QString, CloudFieldValue> fields;
};

// The record the phone app reads: "current-oscar-snapshot" of type "OscarSnapshot", with the
// fields "generatedAt", "nightCount" and "payload" (the JSON document).
inline const QString snapshotRecordName = QStringLiteral("current-oscar-snapshot");
inline const QString snapshotRecordType = QStringLiteral("OscarSnapshot");

// A store that keeps the document as that record: iCloud's database, and the folder and WebDAV
// stores, whose files keep the same shape for the readers that know it. The document's
// operations are made of the record's; fields a save does not carry stay as stored.
class RecordStore : public CloudStore {
public:
    // The stored record with its change tag and its non-asset fields; CloudError with code
    // unknownItem when there is none.
    virtual CloudRecord fetchRecord(const QString& recordName) = 0;
    // The bytes of the record's asset field as stored now (never more than maximumAssetBytes);
    // CloudError with code unknownItem when the record or the field is not there.
    virtual QByteArray fetchAsset(const QString& recordName, const QString& fieldName) = 0;
    // Stores the record, uploading its assets, and gives the record's new change tag (empty
    // when the store does not tell it). CloudError with code serverRecordChanged when the stored
    // record's change tag is not `record.changeTag` (or, for an empty tag, when a record of that
    // name exists already). Fields the record does not carry are kept as stored.
    virtual QString saveRecord(const CloudRecord& record) = 0;
    // CloudError with code unknownItem when there is no such record.
    virtual void deleteRecord(const QString& recordName) = 0;

    std::optional<QString> fetchChangeTag() final;
    QByteArray fetchPayload() final;
    QString save(const SnapshotUpload& snapshot, const QString& replacing) final;
    void remove() final;
};

} // namespace velunora
