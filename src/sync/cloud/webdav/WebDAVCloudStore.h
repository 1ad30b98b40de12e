#pragma once

#include "sync/cloud/RecordStore.h"

#include <QString>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

namespace velunora {

namespace http {
class Connection;
}

// Where the records live on a private WebDAV server (Nextcloud, ownCloud, Apache mod_dav…): the
// collection `baseUrl` (user defaults "webdav-url") and the account `user` ("webdav-user").
struct WebDAVAccount {
    QUrl baseUrl;
    QString user;
};

// Gives the account's password; called on the store's worker thread for every operation and
// throws CloudError when there is none.
using WebDAVPasswordSource = std::function<QString()>;

// The password as the desktop's Secret Service keeps it (QtKeychain, service "Velunora Sync",
// key "user@url"); it is never written to the settings file. The read runs on the main thread,
// which QtKeychain requires, while the calling worker thread waits.
WebDAVPasswordSource keychainPasswordSource(WebDAVAccount account);
// Stores the password for keychainPasswordSource (the same account, as the settings give it).
// Blocks until the keyring answers; throws CloudError.
void storeWebDAVPassword(const WebDAVAccount& account, const QString& password);
// Throws CloudError, saying why, unless the account's address is one the store may use: http or
// https with a host, and https unless the host is this computer.
void requireUsableWebDAVAddress(const WebDAVAccount& account);

// A record is one resource, `<baseUrl>/<recordName>.json`: its body is the record's only asset,
// its ETag the change tag, and the record type and the other fields are dead properties of ours
// (PROPPATCH) where the server keeps them: they are an extra (everything in them is in the body
// too), so a server that refuses them still takes the record. Operations block on the calling
// thread (a local event loop around the network replies), each with its own connection and a time
// limit without progress. TLS certificates are always verified. Errors map HTTP to the cloud codes:
// 412 serverRecordChanged, 404 unknownItem, 401/403 notAuthenticated, 507 quotaExceeded, transport
// failures networkFailure (or networkUnavailable without any network), anything else internalError.
class WebDAVCloudStore final : public RecordStore {
public:
    struct Timing {
        // A request that makes no progress for this long fails with networkFailure.
        std::chrono::milliseconds requestTimeout{std::chrono::seconds(30)};
        // How long a save waits for the server to settle a weak ETag (see saveRecord).
        std::chrono::milliseconds weakTagSettling{std::chrono::seconds(3)};
        // A request that has not ended this long after it started fails likewise; its body (sent
        // or announced) adds the time it takes at `slowLineBytesPerSecond`.
        std::chrono::milliseconds requestDeadline{std::chrono::seconds(90)};
        qint64 slowLineBytesPerSecond = 32 * 1024;
    };

    WebDAVCloudStore(WebDAVAccount account, WebDAVPasswordSource password);
    WebDAVCloudStore(WebDAVAccount account, WebDAVPasswordSource password, Timing timing);

    const WebDAVAccount& account() const noexcept { return account_; }
    // The resource that holds the record.
    QUrl recordUrl(const QString& recordName) const;

    CloudRecord fetchRecord(const QString& recordName) override;
    // The record must carry exactly one asset field, which becomes the resource's body. A weak
    // change tag (Apache's, for a resource written within the last second) is first settled into
    // the strong one, so that a save right after a save is no false conflict.
    QString saveRecord(const CloudRecord& record) override;
    // The resource's body, whatever the field's name.
    QByteArray fetchAsset(const QString& recordName, const QString& fieldName) override;
    void deleteRecord(const QString& recordName) override;

    // Whether the server refuses a write whose If-Match or If-None-Match fails (some ignore
    // both); nothing until the first save has found out. Where it does not, a save checks the
    // change tag itself just before writing and reads back what it wrote: another computer's
    // write in between is then a conflict, as the server would have said.
    std::optional<bool> honoursConditionalWrites() const;
    // Finds it out now, as the first save would (the connection test of the settings); nothing
    // when the server refused the check for another reason. Throws CloudError.
    std::optional<bool> checkConditionalWrites();

private:
    enum class Support { unknown, yes, no };
    bool conditionalWritesHold(http::Connection& connection);

    WebDAVAccount account_;
    WebDAVPasswordSource password_;
    Timing timing_;
    // Found out once per store, by the first save; read from any thread.
    std::atomic<Support> conditionalWrites_ = Support::unknown;
    std::atomic<bool> keepsProperties_ = true;
};

} // namespace velunora
