#include "sync/cloud/cloudkit/SignInCallback.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace velunora {

// The texts of this file. The context repeats the struct's name, so that Qt's tools file
// the texts under it even where they cannot resolve the struct.
struct SignInCallbackTexts {
    Q_DECLARE_TR_FUNCTIONS(SignInCallbackTexts)
};

namespace {

const QString callbackPath = QStringLiteral("/icloud-sign-in");
// A browser's request line and headers; anything longer is not the sign-in coming back.
constexpr qsizetype maximumRequestBytes = 16 * 1024;
constexpr int requestTimeoutMilliseconds = 10'000;

QByteArray page(int status, const QByteArray& reason, const QString& text) {
    const QByteArray body = "<!DOCTYPE html><html lang=\"fr\"><head><meta charset=\"utf-8\">"
                            "<title>Velunora Sync</title></head><body><p>" +
                            text.toHtmlEscaped().toUtf8() + "</p></body></html>";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) +
           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

SignInCallback::SignInCallback(QObject* parent)
    : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            serve(socket);
        }
    });
}

bool SignInCallback::listen(quint16 port) {
    return server_.listen(QHostAddress::LocalHost, port);
}

QUrl SignInCallback::callbackURL() const {
    return callbackURL(server_.serverPort());
}

QUrl SignInCallback::callbackURL(quint16 port) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(callbackPath);
    return url;
}

void SignInCallback::serve(QTcpSocket* socket) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(requestTimeoutMilliseconds, socket, [socket] { socket->abort(); });
    // The request stays in the socket's buffer until its headers are complete, so that the
    // browser is not answered before it has finished asking.
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        const QByteArray head = socket->peek(maximumRequestBytes + 1);
        if (!head.contains("\r\n\r\n")) {
            if (head.size() > maximumRequestBytes) {
                socket->abort();
            }
            return;
        }
        const QByteArray line = head.left(head.indexOf("\r\n"));
        const QList<QByteArray> parts = line.split(' ');
        socket->readAll();
        QString token;
        if (parts.size() == 3 && parts[0] == "GET") {
            const QUrl target(QString::fromLatin1(parts[1]));
            if (target.path() == callbackPath) {
                token = QUrlQuery(target).queryItemValue(QStringLiteral("ckWebAuthToken"),
                                                         QUrl::FullyDecoded);
            }
        }
        if (token.isEmpty()) {
            socket->write(
                page(404, "Not Found",
                     SignInCallbackTexts::tr("Cette adresse attend le retour de la connexion à "
                                             "iCloud.")));
        } else {
            socket->write(
                page(200, "OK",
                     SignInCallbackTexts::tr("Velunora Sync est connecté à iCloud. Vous pouvez "
                                             "fermer cette page.")));
        }
        socket->disconnectFromHost();
        if (!token.isEmpty()) {
            // From the event loop, not from inside the socket's handler: whoever waits may well
            // end this listener, and the socket with it, as soon as the token is there.
            QMetaObject::invokeMethod(
                this, [this, token] { Q_EMIT tokenReceived(token); }, Qt::QueuedConnection);
        }
    });
}

} // namespace velunora
