#pragma once

#include <QDateTime>
#include <QString>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace velunora {

// The numeric codes of the cloud errors that callers tell apart (CloudKit's own numbering, so
// that the phone app and this utility speak of the same failures).
namespace cloudcode {
inline constexpr int internalError = 1;
inline constexpr int networkUnavailable = 3;
inline constexpr int networkFailure = 4;
inline constexpr int notAuthenticated = 9;
inline constexpr int unknownItem = 11;
inline constexpr int serverRecordChanged = 14;
inline constexpr int quotaExceeded = 25;
} // namespace cloudcode

// A failure of the cloud store, with its code and a French description for the user.
class CloudError : public std::exception {
public:
    CloudError(int code, QString localizedDescription);

    int code() const noexcept { return code_; }
    const QString& localizedDescription() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    int code_;
    QString description_;
    std::string utf8_;
};

// The bytes a save uploads as a field. They are shared, never copied: a payload of megabytes
// goes from its encoder to the store's write or upload as it is.
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

// One record of the private store: its type and name, the change tag the store handed out when
// it was fetched (empty for a record that was never saved), and its fields.
struct CloudRecord {
    QString recordType;
    QString recordName;
    QString changeTag;
    std::map<QString, CloudFieldValue> fields;
};

// The largest asset read back from a store: years of nights with their series stay far below
// it, and a store that answers without end cannot exhaust the memory.
inline constexpr qint64 maximumAssetBytes = qint64{256} << 20;

// The private cloud database. Operations block; the cloud snapshot service calls them one at a
// time on its own worker thread. Every failure is a CloudError.
class CloudStore {
public:
    virtual ~CloudStore() = default;

    // The stored record with its change tag and its non-asset fields; CloudError with code
    // unknownItem when there is none.
    virtual CloudRecord fetchRecord(const QString& recordName) = 0;

    // The bytes of the record's asset field as stored now (never more than maximumAssetBytes);
    // CloudError with code unknownItem when the record or the field is not there. Read after
    // fetchRecord, it may already be a later version; a save conditional on the fetched tag then
    // fails, so nothing older than the fetched record is ever taken for it.
    virtual QByteArray fetchAsset(const QString& recordName, const QString& fieldName) = 0;

    // Stores the record, uploading its assets, and gives the record's new change tag (empty when
    // the store does not tell it). CloudError with code serverRecordChanged when the stored
    // record's change tag is not `record.changeTag` (or, for an empty tag, when a record of that
    // name exists already). Fields the record does not carry are kept as stored.
    virtual QString saveRecord(const CloudRecord& record) = 0;

    // CloudError with code unknownItem when there is no such record.
    virtual void deleteRecord(const QString& recordName) = 0;
};

} // namespace velunora
