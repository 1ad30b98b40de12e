#include "sync/cloud/webdav/WebDAVTestServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <chrono>
#include <grp.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora::testing {
namespace {

const QString apache = QStringLiteral("/usr/sbin/apache2");
const QString modules = QStringLiteral("/usr/lib/apache2/modules");
const QString rclone = QStringLiteral("/usr/bin/rclone");
const QString collection = QStringLiteral("velunora");

void writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

// Apache refuses to serve as root: the DAV folders belong to the account it switches to.
void handOver(const QString& path) {
    const passwd* account = ::getpwnam("nobody");
    const group* accountGroup = ::getgrnam("nogroup");
    if (!account || ::chown(QFile::encodeName(path).constData(), account->pw_uid,
                            accountGroup ? accountGroup->gr_gid : account->pw_gid) != 0) {
        throw std::runtime_error("cannot hand " + path.toStdString() + " to nobody");
    }
}

QNetworkRequest authorized(const QUrl& url, const QString& user, const QString& password) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Authorization", "Basic " + (user + u':' + password).toUtf8().toBase64());
    return request;
}

QNetworkReply* finished(QNetworkReply* reply) {
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return reply;
}

} // namespace

bool WebDAVTestServer::available(Kind kind) {
    if (kind == Kind::rclone) {
        return QFileInfo::exists(rclone);
    }
    return QFileInfo::exists(apache) &&
           QFileInfo::exists(modules + QStringLiteral("/mod_dav_fs.so"));
}

const char* WebDAVTestServer::packageOf(Kind kind) {
    return kind == Kind::rclone ? "rclone (/usr/bin/rclone, package rclone)"
                                : "Apache httpd with mod_dav (/usr/sbin/apache2, package apache2)";
}

quint16 WebDAVTestServer::unusedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return probe.serverPort();
}

WebDAVTestServer::WebDAVTestServer(QString user, QString password, Kind kind)
    : user_(std::move(user))
    , password_(std::move(password))
    , folder_(QDir::tempPath() + QStringLiteral("/velunora-dav-XXXXXX")) {
    if (!folder_.isValid()) {
        throw std::runtime_error("cannot create the server's folder");
    }
    const QString root = folder_.path();
    QDir(root).mkpath(QStringLiteral("dav/") + collection);
    port_ = unusedPort();
    if (kind == Kind::rclone) {
        startRclone(root);
    } else {
        startApache(root);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline &&
           process_.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port_);
        if (probe.waitForConnected(200)) {
            return;
        }
        QThread::msleep(20);
    }
    QFile log(root + QStringLiteral("/error.log"));
    log.open(QIODevice::ReadOnly);
    process_.kill();
    process_.waitForFinished();
    throw std::runtime_error("the WebDAV server did not start: " + log.readAll().toStdString());
}

void WebDAVTestServer::startRclone(const QString& root) {
    process_.setStandardOutputFile(root + QStringLiteral("/error.log"));
    process_.setStandardErrorFile(root + QStringLiteral("/error.log"), QIODevice::Append);
    process_.start(rclone, {QStringLiteral("serve"), QStringLiteral("webdav"),
                            root + QStringLiteral("/dav"), QStringLiteral("--addr"),
                            QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("--user"),
                            user_, QStringLiteral("--pass"), password_, QStringLiteral("--config"),
                            root + QStringLiteral("/rclone.conf")});
}

void WebDAVTestServer::startApache(const QString& root) {
    const bool asRoot = ::geteuid() == 0;
    QDir(root).mkpath(QStringLiteral("lock"));
    if (asRoot) {
        ::chmod(QFile::encodeName(root).constData(), 0755);
        for (const QString& path :
             {root + QStringLiteral("/dav"), root + QStringLiteral("/dav/") + collection,
              root + QStringLiteral("/lock")}) {
            handOver(path);
        }
    }
    // mod_authn_file reads "{SHA}" followed by the Base64 of the password's SHA-1.
    writeText(
        root + QStringLiteral("/htpasswd"),
        user_ + QStringLiteral(":{SHA}") +
            QString::fromLatin1(
                QCryptographicHash::hash(password_.toUtf8(), QCryptographicHash::Sha1).toBase64()) +
            u'\n');

    QString modulesText;
    for (const auto& [name, file] :
         {std::pair{"mpm_event_module", "mod_mpm_event.so"},
          std::pair{"authz_core_module", "mod_authz_core.so"},
          std::pair{"authn_core_module", "mod_authn_core.so"},
          std::pair{"authn_file_module", "mod_authn_file.so"},
          std::pair{"auth_basic_module", "mod_auth_basic.so"},
          std::pair{"authz_user_module", "mod_authz_user.so"},
          std::pair{"dav_module", "mod_dav.so"}, std::pair{"dav_fs_module", "mod_dav_fs.so"}}) {
        modulesText += QStringLiteral("LoadModule %1 %2/%3\n")
                           .arg(QString::fromLatin1(name), modules, QString::fromLatin1(file));
    }
    const QString configuration =
        QStringLiteral("ServerRoot %1\n"
                       "ServerName 127.0.0.1\n"
                       "Listen 127.0.0.1:%2\n"
                       "PidFile %1/httpd.pid\n"
                       "ErrorLog %1/error.log\n"
                       "LogLevel warn\n"
                       "DefaultRuntimeDir %1\n"
                       "Mutex file:%1\n"
                       "%3"
                       "%4"
                       "StartServers 1\n"
                       "ServerLimit 1\n"
                       "ThreadsPerChild 8\n"
                       "MaxRequestWorkers 8\n"
                       "MinSpareThreads 1\n"
                       "MaxSpareThreads 16\n"
                       "DavLockDB %1/lock/DavLock\n"
                       "DocumentRoot %1/dav\n"
                       "<Directory %1/dav>\n"
                       "  Dav On\n"
                       "  AuthType Basic\n"
                       "  AuthName velunora-tests\n"
                       "  AuthUserFile %1/htpasswd\n"
                       "  Require valid-user\n"
                       "</Directory>\n")
            .arg(root)
            .arg(port_)
            .arg(asRoot ? QStringLiteral("User nobody\nGroup nogroup\n") : QString(), modulesText);
    writeText(root + QStringLiteral("/httpd.conf"), configuration);

    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(apache, {QStringLiteral("-f"), root + QStringLiteral("/httpd.conf"),
                            QStringLiteral("-DFOREGROUND")});
}

WebDAVTestServer::~WebDAVTestServer() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

QUrl WebDAVTestServer::collectionUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(collection));
}

int WebDAVTestServer::put(const QString& resourceName, const QByteArray& body) const {
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(finished(manager.put(
        authorized(QUrl(collectionUrl().toString() + u'/' + resourceName), user_, password_),
        body)));
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QByteArray WebDAVTestServer::get(const QString& resourceName, int* status) const {
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(finished(manager.get(
        authorized(QUrl(collectionUrl().toString() + u'/' + resourceName), user_, password_))));
    if (status) {
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }
    return reply->readAll();
}

} // namespace velunora::testing

namespace velunora::testing {

QStringList WebDAVTestServer::resourceNames() const {
    return QDir(folder_.path() + QStringLiteral("/dav/") + collection)
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace velunora::testing
