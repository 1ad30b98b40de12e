#include "sync/cloud/HttpExchange.h"

#include "sync/cloud/HttpAnswerReader.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

namespace velunora::http {

QByteArray Answer::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

std::chrono::milliseconds Deadline::forBody(qint64 bytes) const {
    return base + std::chrono::milliseconds(bytes * 1000 / std::max<qint64>(bytesPerSecond, 1));
}

QByteArray borrowedBody(std::string_view bytes) {
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool isTransportFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

bool hasNetwork() {
    const auto interfaces = QNetworkInterface::allInterfaces();
    return std::any_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface& face) {
        const auto flags = face.flags();
        return flags.testFlag(QNetworkInterface::IsUp) &&
               flags.testFlag(QNetworkInterface::IsRunning) &&
               !flags.testFlag(QNetworkInterface::IsLoopBack) && !face.addressEntries().isEmpty();
    });
}

bool isLoopback(const QUrl& url) {
    const QString host = url.host();
    return host == QStringLiteral("localhost") || QHostAddress(host).isLoopback();
}

namespace {

// What the socket reads at a time, and what a request body keeps queued ahead of the wire.
constexpr qint64 readBufferBytes = qint64{256} << 10;
constexpr qint64 writeAheadBytes = qint64{256} << 10;

QNetworkReply::NetworkError networkErrorOf(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
        return QNetworkReply::SslHandshakeFailedError;
    case QAbstractSocket::NetworkError:
        return QNetworkReply::TemporaryNetworkFailureError;
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QNetworkReply::UnknownProxyError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

QByteArray requestHead(const QByteArray& verb, const QUrl& url, const Headers& common,
                       const Headers& headers, qint64 bodyBytes) {
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    const int defaultPort = url.scheme() == u"https" ? 443 : 80;
    if (url.port(defaultPort) != defaultPort) {
        host += ':' + QByteArray::number(url.port());
    }
    QByteArray head = verb + ' ' + target + " HTTP/1.1\r\nHost: " + host +
                      "\r\nAccept-Encoding: identity\r\nConnection: close\r\n";
    for (const Headers* list : {&common, &headers}) {
        for (const auto& [name, value] : *list) {
            head += name + ": " + value + "\r\n";
        }
    }
    if (bodyBytes > 0 || (verb != "GET" && verb != "HEAD" && verb != "DELETE")) {
        head += "Content-Length: " + QByteArray::number(bodyBytes) + "\r\n";
    }
    return head + "\r\n";
}

} // namespace

Connection::Connection(Headers commonHeaders, std::chrono::milliseconds stallTimeout,
                       Deadline deadline)
    : commonHeaders_(std::move(commonHeaders))
    , stallTimeout_(stallTimeout)
    , deadline_(deadline) {}

Answer Connection::send(const QByteArray& verb, const QUrl& url, const Headers& headers,
                        const QByteArray& body, qint64 maximumAnswerBytes) {
    Answer answer;
    const QString scheme = url.scheme();
    const bool encrypted = scheme == u"https";
    if ((!encrypted && scheme != u"http") || url.host().isEmpty()) {
        answer.error = QNetworkReply::ProtocolUnknownError;
        return answer;
    }
    std::unique_ptr<QTcpSocket> socket;
    if (encrypted) {
        auto tls = std::make_unique<QSslSocket>();
        tls->setPeerVerifyMode(QSslSocket::VerifyPeer);
        socket = std::move(tls);
    } else {
        socket = std::make_unique<QTcpSocket>();
    }
    socket->setReadBufferSize(readBufferBytes);

    const QByteArray head = requestHead(verb, url, commonHeaders_, headers, body.size());
    AnswerReader reader(verb == "HEAD", maximumAnswerBytes);
    std::chrono::milliseconds allowed = deadline_.forBody(body.size());
    qint64 sent = 0;
    bool over = false;
    bool oversized = false;
    bool pastDeadline = false;
    bool stalled = false;
    bool extended = false;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QTimer stall;
    stall.setSingleShot(true);
    const auto end = [&](QNetworkReply::NetworkError failure = QNetworkReply::NoError) {
        if (!over) {
            over = true;
            error = failure;
            deadline.stop();
            stall.stop();
            loop.quit();
        }
    };
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        pastDeadline = true;
        end(QNetworkReply::OperationCanceledError);
    });
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        stalled = true;
        end(QNetworkReply::OperationCanceledError);
    });
    const auto progressed = [&] {
        if (!over) {
            stall.start(stallTimeout_);
        }
    };
    // The body goes out a slice at a time, never copied whole into the socket's buffer.
    const auto writeMore = [&] {
        while (!over && sent < body.size() && socket->bytesToWrite() < writeAheadBytes) {
            const qint64 slice = std::min<qint64>(body.size() - sent, 64 * 1024);
            socket->write(body.constData() + sent, slice);
            sent += slice;
        }
    };
    const auto read = [&] {
        if (over) {
            return;
        }
        const auto progress = reader.feed(socket->readAll());
        if (reader.headRead() && !extended) {
            extended = true;
            const qint64 announced = reader.announcedLength();
            if (announced > 0 && announced <= maximumAnswerBytes && deadline.isActive()) {
                const auto extension = deadline_.forBody(announced) - deadline_.base;
                allowed += extension;
                deadline.start(deadline.remainingTimeAsDuration() + extension);
            }
        }
        switch (progress) {
        case AnswerReader::Progress::more:
            progressed();
            break;
        case AnswerReader::Progress::done:
            end();
            break;
        case AnswerReader::Progress::oversized:
            oversized = true;
            end(QNetworkReply::OperationCanceledError);
            break;
        case AnswerReader::Progress::malformed:
            end(QNetworkReply::ProtocolFailure);
            break;
        }
    };
    const auto started = [&] {
        socket->write(head);
        writeMore();
        progressed();
    };
    if (encrypted) {
        QObject::connect(static_cast<QSslSocket*>(socket.get()), &QSslSocket::encrypted, &loop,
                         started);
    } else {
        QObject::connect(socket.get(), &QTcpSocket::connected, &loop, started);
    }
    QObject::connect(socket.get(), &QTcpSocket::bytesWritten, &loop, [&] {
        progressed();
        writeMore();
    });
    QObject::connect(socket.get(), &QTcpSocket::readyRead, &loop, read);
    QObject::connect(socket.get(), &QTcpSocket::errorOccurred, &loop,
                     [&](QAbstractSocket::SocketError failure) {
                         if (failure != QAbstractSocket::RemoteHostClosedError) {
                             end(networkErrorOf(failure));
                         }
                     });
    QObject::connect(socket.get(), &QTcpSocket::disconnected, &loop, [&] {
        read();
        if (!over) {
            end(reader.closed() == AnswerReader::Progress::done
                    ? QNetworkReply::NoError
                    : QNetworkReply::RemoteHostClosedError);
        }
    });

    deadline.start(allowed);
    stall.start(stallTimeout_);
    const quint16 port = static_cast<quint16>(url.port(encrypted ? 443 : 80));
    if (encrypted) {
        static_cast<QSslSocket*>(socket.get())->connectToHostEncrypted(url.host(), port);
    } else {
        socket->connectToHost(url.host(), port);
    }
    if (!over) {
        loop.exec();
    }
    socket->abort();

    answer.waited = std::chrono::round<std::chrono::seconds>(allowed);
    answer.error = error;
    if (oversized || pastDeadline) {
        answer.oversized = oversized;
        answer.pastDeadline = pastDeadline;
        return answer;
    }
    if (stalled) {
        answer.stalled = true;
        answer.waited = std::chrono::ceil<std::chrono::seconds>(stallTimeout_);
        return answer;
    }
    if (error != QNetworkReply::NoError) {
        return answer;
    }
    answer.status = reader.status();
    answer.headers = reader.takeHeaders();
    answer.body = reader.takeBody();
    return answer;
}

} // namespace velunora::http
