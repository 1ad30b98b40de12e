#pragma once

#include "sync/cloud/RecordStore.h"

#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>

namespace velunora {

// The iCloud container the phone app reads, as CloudKit Web Services reach it: the service's
// address (Apple's unless a test points it elsewhere), the container's identifier
// ("iCloud.…"), its environment ("production" or "development") and the API token that the
// container's developer created for this application.
struct CloudKitContainer {
    static inline const QUrl appleService = QUrl(QStringLiteral("https://api.apple-cloudkit.com"));

    QUrl serviceURL = appleService;
    QString identifier;
    QString environment = QStringLiteral("production");
    QString apiToken;

    // Without an identifier and an API token there is no iCloud to publish to.
    bool isComplete() const { return !identifier.isEmpty() && !apiToken.isEmpty(); }
};

// The user's web auth token: what the sign-in hands back, and what each answer of the service
// replaces. Used from the store's worker thread and from the sign-in, so every call is
// thread-safe.
class WebAuthTokens {
public:
    virtual ~WebAuthTokens() = default;
    // Empty when the user never signed in (or signed out).
    virtual QString current() = 0;
    // False when the token is only kept for this run (the keyring refused it).
    virtual bool replace(const QString& token) = 0;
    virtual void forget() = 0;
};

// The token kept in the desktop's Secret Service, one per container and environment, and in
// memory between two requests; never in the settings file.
std::shared_ptr<WebAuthTokens> keychainWebAuthTokens(const CloudKitContainer& container);

// The record in the user's private iCloud database, default zone, through CloudKit Web Services:
// records/lookup for the fetch (with its recordChangeTag), assets/upload then a POST of the file
// for the asset, records/modify (`create`, or `update` with the fetched tag, so that a record
// changed elsewhere is a conflict) for the save, `forceDelete` for the delete, and the asset's
// download URL for the read-back. The service's errors map onto the store's codes: NOT_FOUND
// unknownItem, CONFLICT and EXISTS serverRecordChanged, AUTHENTICATION_REQUIRED,
// AUTHENTICATION_FAILED and ACCESS_DENIED notAuthenticated, QUOTA_EXCEEDED quotaExceeded,
// THROTTLED and TRY_AGAIN_LATER networkFailure (with when to try again), transport failures
// networkFailure or networkUnavailable, anything else internalError.
class CloudKitCloudStore final : public RecordStore {
public:
    struct Timing {
        std::chrono::milliseconds requestTimeout{std::chrono::seconds(30)};
        std::chrono::milliseconds requestDeadline{std::chrono::seconds(90)};
        qint64 slowLineBytesPerSecond = 32 * 1024;
    };

    // The service takes a file of at most 15 MB for an asset (the stricter of the figures Apple
    // publishes); a larger payload is refused before anything is sent.
    static constexpr qint64 maximumUploadBytes = 15'000'000;

    CloudKitCloudStore(CloudKitContainer container, std::shared_ptr<WebAuthTokens> tokens);
    CloudKitCloudStore(CloudKitContainer container, std::shared_ptr<WebAuthTokens> tokens,
                       Timing timing);

    const CloudKitContainer& container() const noexcept { return container_; }

    // Where the user signs in: the page the service names when asked without a web auth token.
    QUrl requestSignInURL();
    // Who signed in, as "first-name last-name": empty when the user does not let this container
    // discover their name.
    QString requestAccountName();

    CloudRecord fetchRecord(const QString& recordName) override;
    QByteArray fetchAsset(const QString& recordName, const QString& fieldName) override;
    QString saveRecord(const CloudRecord& record) override;
    void deleteRecord(const QString& recordName) override;

private:
    class Session;

    CloudKitContainer container_;
    std::shared_ptr<WebAuthTokens> tokens_;
    Timing timing_;
};

} // namespace velunora
