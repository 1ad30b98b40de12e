#include "sync/cloud/HttpExchange.h"

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

// What the status line and the headers of an answer may take, and one line of them.
constexpr qsizetype maximumHeadBytes = 64 * 1024;
// A chunk's size line: a few hex digits, and extensions nobody sends.
constexpr qsizetype maximumChunkLineBytes = 1024;
// What the socket reads at a time, and what a request body keeps queued ahead of the wire.
constexpr qint64 readBufferBytes = qint64{256} << 10;
constexpr qint64 writeAheadBytes = qint64{256} << 10;

// One HTTP/1.1 answer read as its bytes arrive (RFC 9112): the status line, the headers, then a
// body framed by chunks, by a length, or by the end of the connection. Whatever the framing, no
// more than a read's worth is held besides the body, and the body is refused as soon as it grows
// past its bound.
class AnswerReader {
public:
    enum class Progress { more, done, malformed, oversized };

    AnswerReader(bool headRequest, qint64 maximumBodyBytes)
        : headRequest_(headRequest)
        , maximumBodyBytes_(maximumBodyBytes) {}

    Progress feed(const QByteArray& bytes) {
        pending_ += bytes;
        qsizetype at = 0;
        const Progress progress = consume(at);
        pending_.remove(0, at);
        return progress;
    }

    // The server closed the connection: the end of a body without a length, or an answer cut.
    Progress closed() {
        if (state_ == State::untilClosed) {
            state_ = State::done;
        }
        return state_ == State::done ? Progress::done : Progress::malformed;
    }

    bool headRead() const { return state_ > State::headers; }
    int status() const { return status_; }
    qint64 announcedLength() const { return length_; }
    Headers takeHeaders() { return std::move(headers_); }
    QByteArray takeBody() { return std::move(body_); }

private:
    enum class State {
        statusLine,
        headers,
        sized,
        chunkSize,
        chunkData,
        chunkEnd,
        trailers,
        untilClosed,
        done
    };

    // The next line from `at`, without its end; nothing while it has not arrived whole.
    std::optional<QByteArray> line(qsizetype& at, qsizetype bound) {
        const qsizetype end = pending_.indexOf('\n', at);
        if (end < 0) {
            tooLong_ = pending_.size() - at > bound;
            return std::nullopt;
        }
        if (end - at > bound) {
            tooLong_ = true;
            return std::nullopt;
        }
        QByteArray text = pending_.mid(at, end - at);
        if (text.endsWith('\r')) {
            text.chop(1);
        }
        headBytes_ += end + 1 - at;
        at = end + 1;
        return text;
    }

    bool take(qsizetype& at, qint64 count) {
        const qint64 taken = std::min<qint64>(count, pending_.size() - at);
        if (body_.size() + taken > maximumBodyBytes_) {
            return false;
        }
        body_.append(pending_.constData() + at, static_cast<qsizetype>(taken));
        at += static_cast<qsizetype>(taken);
        remaining_ -= taken;
        return true;
    }

    Progress afterHead() {
        // An interim answer (100 Continue) comes before the real one.
        if (status_ >= 100 && status_ < 200) {
            headers_.clear();
            state_ = State::statusLine;
            return Progress::more;
        }
        if (headRequest_ || status_ == 204 || status_ == 304) {
            state_ = State::done;
            return Progress::done;
        }
        QByteArray transferEncoding;
        QList<QByteArray> lengths;
        for (const auto& [name, value] : headers_) {
            if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
                transferEncoding += ',' + value;
            } else if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
                lengths.append(value.trimmed());
            }
        }
        if (!transferEncoding.isEmpty()) {
            const QByteArray last = transferEncoding.split(',').last().trimmed().toLower();
            state_ = last == "chunked" ? State::chunkSize : State::untilClosed;
            return Progress::more;
        }
        if (!lengths.isEmpty()) {
            bool valid = false;
            length_ = lengths.first().toLongLong(&valid);
            if (!valid || length_ < 0 ||
                std::any_of(lengths.begin(), lengths.end(),
                            [&lengths](const QByteArray& other) { return other != lengths[0]; })) {
                return Progress::malformed;
            }
            if (length_ > maximumBodyBytes_) {
                return Progress::oversized;
            }
            remaining_ = length_;
            state_ = length_ == 0 ? State::done : State::sized;
            return state_ == State::done ? Progress::done : Progress::more;
        }
        state_ = State::untilClosed;
        return Progress::more;
    }

    Progress consume(qsizetype& at) {
        for (;;) {
            if (headBytes_ > maximumHeadBytes) {
                return Progress::oversized;
            }
            switch (state_) {
            case State::statusLine: {
                const auto text = line(at, maximumHeadBytes);
                if (!text) {
                    return tooLong_ ? Progress::oversized : Progress::more;
                }
                // "HTTP/1.1 207 Multi-Status"
                const QList<QByteArray> parts = text->split(' ');
                bool valid = false;
                status_ = parts.size() >= 2 ? parts[1].toInt(&valid) : 0;
                if (!text->startsWith("HTTP/1.") || !valid || status_ < 100 || status_ > 999) {
                    return Progress::malformed;
                }
                state_ = State::headers;
                break;
            }
            case State::headers:
            case State::trailers: {
                const auto text = line(at, maximumHeadBytes);
                if (!text) {
                    return tooLong_ ? Progress::oversized : Progress::more;
                }
                if (text->isEmpty()) {
                    if (state_ == State::trailers) {
                        state_ = State::done;
                        return Progress::done;
                    }
                    const Progress progress = afterHead();
                    if (progress != Progress::more) {
                        return progress;
                    }
                    break;
                }
                const qsizetype colon = text->indexOf(':');
                if (colon <= 0) {
                    return Progress::malformed;
                }
                if (state_ == State::headers) {
                    headers_.emplace_back(text->left(colon).trimmed(),
                                          text->mid(colon + 1).trimmed());
                }
                break;
            }
            case State::sized:
                if (at == pending_.size()) {
                    return Progress::more;
                }
                if (!take(at, remaining_)) {
                    return Progress::oversized;
                }
                if (remaining_ == 0) {
                    state_ = State::done;
                    return Progress::done;
                }
                break;
            case State::chunkSize: {
                const auto text = line(at, maximumChunkLineBytes);
                if (!text) {
                    return tooLong_ ? Progress::malformed : Progress::more;
                }
                bool valid = false;
                const qsizetype extension = text->indexOf(';');
                const QByteArray digits = (extension < 0 ? *text : text->left(extension)).trimmed();
                remaining_ = digits.toLongLong(&valid, 16);
                if (!valid || remaining_ < 0) {
                    return Progress::malformed;
                }
                if (body_.size() + remaining_ > maximumBodyBytes_) {
                    return Progress::oversized;
                }
                // The chunks' framing is no part of the head's budget.
                headBytes_ = 0;
                state_ = remaining_ == 0 ? State::trailers : State::chunkData;
                break;
            }
            case State::chunkData:
                if (at == pending_.size()) {
                    return Progress::more;
                }
                if (!take(at, remaining_)) {
                    return Progress::oversized;
                }
                if (remaining_ == 0) {
                    state_ = State::chunkEnd;
                }
                break;
            case State::chunkEnd: {
                const auto text = line(at, maximumChunkLineBytes);
                if (!text) {
                    return tooLong_ ? Progress::malformed : Progress::more;
                }
                if (!text->isEmpty()) {
                    return Progress::malformed;
                }
                headBytes_ = 0;
                state_ = State::chunkSize;
                break;
            }
            case State::untilClosed:
                if (at == pending_.size()) {
                    return Progress::more;
                }
                remaining_ = pending_.size() - at;
                if (!take(at, remaining_)) {
                    return Progress::oversized;
                }
                break;
            case State::done:
                // Nothing may follow an answer on a connection we close.
                return Progress::done;
            }
        }
    }

    bool headRequest_;
    qint64 maximumBodyBytes_;
    State state_ = State::statusLine;
    QByteArray pending_;
    qsizetype headBytes_ = 0;
    bool tooLong_ = false;
    int status_ = 0;
    Headers headers_;
    qint64 length_ = -1;
    qint64 remaining_ = 0;
    QByteArray body_;
};

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
