#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace velunora::testing {

// A real Apache httpd with mod_dav and mod_dav_fs on 127.0.0.1 at a free port, with a generated
// configuration, a DAV folder and basic authentication for one user, all in a temporary folder.
// Started by the constructor, stopped by the destructor.
class WebDAVTestServer {
public:
    // Whether Apache and its DAV modules are installed.
    static bool available();
    // A port on 127.0.0.1 where nothing listens.
    static quint16 unusedPort();

    // Throws std::runtime_error, with Apache's error log, when the server does not come up.
    WebDAVTestServer(QString user, QString password);
    ~WebDAVTestServer();
    WebDAVTestServer(const WebDAVTestServer&) = delete;
    WebDAVTestServer& operator=(const WebDAVTestServer&) = delete;

    // The DAV collection the stores publish into (without a trailing slash, as a user types it).
    QUrl collectionUrl() const;
    const QString& user() const noexcept { return user_; }
    const QString& password() const noexcept { return password_; }

    // Requests of another client, without conditions; the status code, 0 when none came.
    int put(const QString& resourceName, const QByteArray& body) const;
    QByteArray get(const QString& resourceName, int* status = nullptr) const;

private:
    QString user_;
    QString password_;
    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace velunora::testing
