#pragma once

#include "sync/cloud/cloudkit/CloudKitCloudStore.h"

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <mutex>

namespace velunora::testing {

// The stand-in of CloudKit Web Services (cloudkit_standin.py, under python3) on 127.0.0.1 at a
// free port, for one container. Started by the constructor, stopped by the destructor.
class CloudKitStandIn {
public:
    struct Options {
        // Each web auth token serves one request, and the answer hands the next.
        bool rotateTokens = true;
        // The next token comes in the answer's header rather than its body.
        bool tokenInHeader = true;
        // Where the sign-in sends the browser back.
        QUrl callback = QUrl(QStringLiteral("http://127.0.0.1:9/icloud-sign-in"));
        // The signed-in user's name, as users/caller tells it; none when both are empty (the
        // user does not let the container discover it).
        QString givenName;
        QString familyName;
    };

    static bool available();

    // Throws std::runtime_error when the stand-in does not come up.
    explicit CloudKitStandIn(Options options);
    ~CloudKitStandIn();
    CloudKitStandIn(const CloudKitStandIn&) = delete;
    CloudKitStandIn& operator=(const CloudKitStandIn&) = delete;

    // The container as the app is configured for it.
    CloudKitContainer container() const;

    // Test controls: a token the service accepts, as a finished sign-in gives one.
    QString issueToken() const;
    void expireTokens() const;
    // Another device saves the record: its change tag changes.
    void touch(const QString& recordName) const;
    // The next request of `operation` ("lookup", "modify", "upload", "any") answers this error.
    void failNext(const QJsonObject& failure) const;
    // The record as the service stores it (null when there is none), and its payload's bytes.
    QJsonObject record(const QString& recordName) const;
    QByteArray payload(const QString& recordName) const;
    // Requests seen, as "lookup", "modify", "upload"…: what the store asked for.
    QStringList requestPaths() const;

private:
    QByteArray control(const QByteArray& verb, const QString& path,
                       const QByteArray& body = {}) const;

    QProcess process_;
    quint16 port_ = 0;
};

// Web auth tokens kept in memory, as the keyring would keep them.
class MemoryWebAuthTokens final : public WebAuthTokens {
public:
    explicit MemoryWebAuthTokens(QString token = {})
        : token_(std::move(token)) {}
    QString current() override {
        const std::lock_guard lock(mutex_);
        return token_;
    }
    bool replace(const QString& token) override {
        const std::lock_guard lock(mutex_);
        token_ = token;
        ++replacements_;
        return true;
    }
    void forget() override { replace({}); }
    int replacements() {
        const std::lock_guard lock(mutex_);
        return replacements_;
    }

private:
    std::mutex mutex_;
    QString token_;
    int replacements_ = 0;
};

} // namespace velunora::testing
