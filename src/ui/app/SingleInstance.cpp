#include "ui/app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace velunora {
namespace {

const QByteArray activationMessage = QByteArrayLiteral("show-panel\n");
constexpr int answerTimeoutMilliseconds = 1000;

bool activateRunningInstance(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(answerTimeoutMilliseconds)) {
        return false;
    }
    socket.write(activationMessage);
    return socket.waitForBytesWritten(answerTimeoutMilliseconds);
}

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent)
    , name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    // One instance per login session, in the session's own folder (the user's alone): not a
    // name in /tmp that another user could take first, or that another session of the same user
    // would share.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return QDir(runtime).filePath(QStringLiteral("velunora-sync.socket"));
    }
    return QStringLiteral("velunora-sync-%1").arg(::getuid());
}

bool SingleInstance::becomePrimaryOrActivateOther() {
    if (activateRunningInstance(name_)) {
        return false;
    }
    server_ = new QLocalServer(this);
    // Only this user may ask us anything.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket left by an instance that crashed: nobody answered on it above.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            // Without the socket we still run: a second start would then run twice, which is
            // better than not starting at all.
            return true;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(activationMessage.trimmed())) {
                    Q_EMIT activationRequested();
                }
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace velunora
