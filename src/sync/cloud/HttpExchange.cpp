#include "sync/cloud/HttpExchange.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <memory>

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

Connection::Connection(Headers commonHeaders, std::chrono::milliseconds stallTimeout,
                       Deadline deadline)
    : commonHeaders_(std::move(commonHeaders))
    , stallTimeout_(stallTimeout)
    , deadline_(deadline) {}

Answer Connection::send(const QByteArray& verb, const QUrl& url, const Headers& headers,
                        const QByteArray& body, qint64 maximumAnswerBytes) {
    return wait(manager_.sendCustomRequest(request(url, headers), verb, body), maximumAnswerBytes,
                deadline_.forBody(body.size()));
}

QNetworkRequest Connection::request(const QUrl& url, const Headers& headers) const {
    QNetworkRequest request(url);
    for (const auto& [name, value] : commonHeaders_) {
        request.setRawHeader(name, value);
    }
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(stallTimeout_.count()));
    return request;
}

Answer Connection::wait(QNetworkReply* reply, qint64 maximumBytes,
                        std::chrono::milliseconds deadline) {
    const std::unique_ptr<QNetworkReply> owned(reply);
    std::chrono::milliseconds allowed = deadline;
    QByteArray body;
    bool oversized = false;
    bool pastDeadline = false;
    const auto cutOffBeyond = [reply, maximumBytes, &oversized](qint64 bytes) {
        if (bytes > maximumBytes && !oversized) {
            oversized = true;
            reply->abort();
        }
    };
    if (!reply->isFinished()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, [reply, &pastDeadline] {
            pastDeadline = true;
            reply->abort();
        });
        timer.start(deadline);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop,
                         [this, reply, cutOffBeyond, &timer, &allowed] {
                             const qint64 announced =
                                 reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
                             cutOffBeyond(announced);
                             if (announced > 0 && timer.isActive()) {
                                 const auto extension =
                                     deadline_.forBody(announced) - deadline_.base;
                                 allowed += extension;
                                 timer.start(timer.remainingTimeAsDuration() + extension);
                             }
                         });
        // Taken as it comes, so that Qt's own buffer never holds more than a read's worth.
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, [reply, cutOffBeyond, &body] {
            body += reply->readAll();
            cutOffBeyond(body.size());
        });
        loop.exec();
    }
    Answer answer;
    answer.waited = std::chrono::round<std::chrono::seconds>(allowed);
    if (oversized || pastDeadline) {
        answer.oversized = oversized;
        answer.pastDeadline = pastDeadline;
        answer.error = QNetworkReply::OperationCanceledError;
        return answer;
    }
    answer.error = reply->error();
    if (answer.error == QNetworkReply::OperationCanceledError) {
        // Only the transfer timeout cancels a request besides us.
        answer.stalled = true;
        answer.waited = std::chrono::ceil<std::chrono::seconds>(stallTimeout_);
        return answer;
    }
    if (isTransportFailure(answer.error)) {
        return answer;
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = std::move(body) + reply->readAll();
    for (const auto& [name, value] : reply->rawHeaderPairs()) {
        answer.headers.emplace_back(name, value);
    }
    return answer;
}

} // namespace velunora::http
