#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace velunora::testing {

// A real WebDAV server on 127.0.0.1 at a free port, with a DAV folder and basic authentication
// for one user, all in a temporary folder: Apache httpd with mod_dav and mod_dav_fs (and a
// generated configuration), or `rclone serve webdav`, which keeps no dead properties and ignores
// If-Match and If-None-Match. Started by the constructor, stopped by the destructor.
class WebDAVTestServer {
public:
    enum class Kind { apache, rclone };

    // Whether the server (Apache and its DAV modules, or rclone) is installed.
    static bool available(Kind kind = Kind::apache);
    // What a skipped test names: the program and its Debian package.
    static const char* packageOf(Kind kind);
    // A port on 127.0.0.1 where nothing listens.
    static quint16 unusedPort();

    // Throws std::runtime_error, with the server's error log, when it does not come up.
    WebDAVTestServer(QString user, QString password, Kind kind = Kind::apache);
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
    // What the collection holds, as the server's folder shows it.
    QStringList resourceNames() const;

private:
    void startApache(const QString& root);
    void startRclone(const QString& root);

    QString user_;
    QString password_;
    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace velunora::testing
