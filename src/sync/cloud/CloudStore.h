#pragma once

#include <QDateTime>
#include <QString>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// The published document as a save hands it over: the encoder's bytes (shared, never copied,
// so that megabytes go from the encoder to the store's write or upload as they are) and the two
// facts a store may show beside them.
struct SnapshotUpload {
    std::shared_ptr<const std::string> json;
    QDateTime generatedAt;
    qint64 nightCount = 0;

    // Empty when there are none.
    std::string_view bytes() const noexcept {
        return json ? std::string_view(*json) : std::string_view();
    }
};

// The largest document read back from a store: years of nights with their series stay far
// below it, and a store that answers without end cannot exhaust the memory.
inline constexpr qint64 maximumAssetBytes = qint64{256} << 20;

// Where the phone app reads the published document: the one snapshot of this user, in a
// folder, on a WebDAV server or in iCloud. Operations block; the cloud snapshot service calls
// them one at a time on its own worker thread. Every failure is a CloudError.
class CloudStore {
public:
    virtual ~CloudStore() = default;

    // The change tag of the version stored now, or nothing when none is.
    virtual std::optional<QString> fetchChangeTag() = 0;

    // The document's bytes as stored now (never more than maximumAssetBytes); CloudError with
    // code unknownItem when there are none. Read after fetchChangeTag, it may already be a later
    // version; a save that names the fetched tag then fails, so nothing older than the fetched
    // version is ever taken for it.
    virtual QByteArray fetchPayload() = 0;

    // Stores the document in place of exactly the version `replacing` names (empty: when none
    // is stored) and gives the new version's change tag (empty when the store does not tell).
    // CloudError with code serverRecordChanged when another version is stored.
    virtual QString save(const SnapshotUpload& snapshot, const QString& replacing) = 0;

    // CloudError with code unknownItem when nothing is stored.
    virtual void remove() = 0;
};

} // namespace velunora
