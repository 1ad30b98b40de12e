#include "sync/cloud/RecordStore.h"

namespace velunora {

std::optional<QString> RecordStore::fetchChangeTag() {
    try {
        return fetchRecord(snapshotRecordName).changeTag;
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            throw;
        }
        return std::nullopt;
    }
}

QByteArray RecordStore::fetchPayload() {
    return fetchAsset(snapshotRecordName, QStringLiteral("payload"));
}

QString RecordStore::save(const SnapshotUpload& snapshot, const QString& replacing) {
    CloudRecord record{snapshotRecordType, snapshotRecordName, replacing, {}};
    record.fields.emplace(QStringLiteral("generatedAt"), snapshot.generatedAt);
    record.fields.emplace(QStringLiteral("nightCount"), snapshot.nightCount);
    record.fields.emplace(QStringLiteral("payload"), CloudAsset{snapshot.json});
    return saveRecord(record);
}

void RecordStore::remove() {
    deleteRecord(snapshotRecordName);
}

} // namespace velunora
