#include "sync/cloud/cloudkit/CloudKitStandIn.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <memory>
#include <stdexcept>

namespace velunora::testing {
namespace {

const QString script = QStringLiteral(VELUNORA_CLOUDKIT_STANDIN);
const QString containerIdentifier = QStringLiteral("iCloud.app.velunora.tests");
const QString apiToken = QStringLiteral("velunora-tests-api-token");

} // namespace

bool CloudKitStandIn::available() {
    return QFileInfo::exists(script) &&
           !QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty();
}

CloudKitStandIn::CloudKitStandIn(Options options) {
    QStringList arguments{script,
                          QStringLiteral("--container"),
                          containerIdentifier,
                          QStringLiteral("--environment"),
                          QStringLiteral("development"),
                          QStringLiteral("--api-token"),
                          apiToken,
                          QStringLiteral("--callback"),
                          options.callback.toString()};
    if (options.rotateTokens) {
        arguments << QStringLiteral("--rotate-tokens");
    }
    if (options.tokenInHeader) {
        arguments << QStringLiteral("--token-header");
    }
    arguments << QStringLiteral("--given-name") << options.givenName
              << QStringLiteral("--family-name") << options.familyName;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"), arguments);
    // It prints "PORT <n>" once it listens.
    QByteArray line;
    while (!line.contains('\n') && process_.waitForReadyRead(10000)) {
        line += process_.readAll();
    }
    if (!line.startsWith("PORT ")) {
        process_.kill();
        process_.waitForFinished();
        throw std::runtime_error("the CloudKit stand-in did not start");
    }
    port_ = static_cast<quint16>(line.mid(5).trimmed().toUInt());
}

CloudKitStandIn::~CloudKitStandIn() {
    // It ends when its input closes.
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

CloudKitContainer CloudKitStandIn::container() const {
    CloudKitContainer container;
    container.serviceURL = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port_));
    container.identifier = containerIdentifier;
    container.environment = QStringLiteral("development");
    container.apiToken = apiToken;
    return container;
}

QByteArray CloudKitStandIn::control(const QByteArray& verb, const QString& path,
                                    const QByteArray& body) const {
    QNetworkAccessManager manager;
    QNetworkRequest request(
        QUrl(QStringLiteral("http://127.0.0.1:%1/_control/%2").arg(port_).arg(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const std::unique_ptr<QNetworkReply> reply(manager.sendCustomRequest(request, verb, body));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (reply->error() != QNetworkReply::NoError) {
        throw std::runtime_error("stand-in control failed: " + path.toStdString());
    }
    return reply->readAll();
}

QString CloudKitStandIn::issueToken() const {
    return QJsonDocument::fromJson(control("POST", QStringLiteral("issue-token")))
        .object()
        .value(QStringLiteral("ckWebAuthToken"))
        .toString();
}

void CloudKitStandIn::expireTokens() const {
    control("POST", QStringLiteral("expire-tokens"));
}

void CloudKitStandIn::touch(const QString& recordName) const {
    control("POST", QStringLiteral("touch/") + recordName);
}

void CloudKitStandIn::failNext(const QJsonObject& failure) const {
    control("POST", QStringLiteral("fail-next"), QJsonDocument(failure).toJson());
}

QJsonObject CloudKitStandIn::record(const QString& recordName) const {
    return QJsonDocument::fromJson(control("GET", QStringLiteral("record/") + recordName))
        .object()
        .value(QStringLiteral("record"))
        .toObject();
}

QByteArray CloudKitStandIn::payload(const QString& recordName) const {
    return QByteArray::fromBase64(
        QJsonDocument::fromJson(control("GET", QStringLiteral("record/") + recordName))
            .object()
            .value(QStringLiteral("payload"))
            .toString()
            .toLatin1());
}

QStringList CloudKitStandIn::requestPaths() const {
    QStringList paths;
    for (const QJsonValue& entry :
         QJsonDocument::fromJson(control("GET", QStringLiteral("log"))).array()) {
        paths << entry.toObject().value(QStringLiteral("path")).toString();
    }
    return paths;
}

} // namespace velunora::testing
