#include "RecordingWebServer.h"

#include <QTcpSocket>
#include <memory>

namespace velunora {

namespace {

qint64 contentLength(const QList<QByteArray>& headers) {
    for (const QByteArray& line : headers) {
        if (line.toLower().startsWith("content-length:")) {
            return line.mid(15).trimmed().toLongLong();
        }
    }
    return 0;
}

} // namespace

RecordingWebServer::RecordingWebServer(QObject* parent)
    : QObject(parent) {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            const auto received = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                *received += socket->readAll();
                // The whole request, body included, before the answer, as a server reads it.
                const qsizetype headerEnd = received->indexOf("\r\n\r\n");
                if (headerEnd < 0 || received->size() - headerEnd - 4 <
                                         contentLength(received->left(headerEnd).split('\n'))) {
                    return;
                }
                record(received->left(headerEnd));
                received->clear();
                socket->write("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        }
    });
}

QString RecordingWebServer::address() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

void RecordingWebServer::record(const QByteArray& headers) {
    const QList<QByteArray> lines = headers.split('\n');
    // "PROPFIND /dav/Velunora/file HTTP/1.1": the folder is the path up to its last part.
    const QList<QByteArray> requestLine = lines.front().trimmed().split(' ');
    const QString path = requestLine.size() > 1 ? QString::fromUtf8(requestLine[1]) : QString();
    const QString folder = path.left(path.lastIndexOf(u'/'));
    QString account;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("authorization: basic ")) {
            account = QString::fromUtf8(QByteArray::fromBase64(line.mid(21).trimmed()));
        }
    }
    requests_.append(address() + folder + u':' + account);
    Q_EMIT requestsChanged();
}

} // namespace velunora
