#include "sync/cloud/cloudkit/CloudKitCloudStore.h"

#include "sync/Logging.h"
#include "sync/cloud/HttpExchange.h"
#include "sync/cloud/Keychain.h"
#include "sync/cloud/cloudkit/CloudKitFailures.h"
#include "sync/cloud/cloudkit/CloudKitProtocol.h"

#include <QCoreApplication>
#include <QLocale>
#include <cmath>
#include <mutex>
#include <optional>
#include <utility>

namespace velunora {

namespace {

using cloudkit::errorOf;
using cloudkit::failureOf;
using cloudkit::recordChanged;
using cloudkit::ServiceError;
using cloudkit::signInRequired;
using cloudkit::unreadableAnswer;

// What a lookup or modify answer may weigh: one record of three fields.
constexpr qint64 maximumRecordAnswerBytes = qint64{4} << 20;

// The header in which the service hands back the web auth token for the next request.
const QByteArray rotatedTokenHeader = QByteArrayLiteral("X-Apple-CloudKit-Web-Auth-Token");

// The tokens travel in the query: only over TLS, or to this very computer.
bool isSafeToCall(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"https" || (url.scheme() == u"http" && http::isLoopback(url)));
}

void requireConfigured(const CloudKitContainer& container) {
    if (!container.isComplete()) {
        throw CloudError(
            cloudcode::internalError,
            CloudKitCloudStoreTexts::tr("Le conteneur iCloud de Velunora Sync n’est pas configuré "
                                        "(identifiant et jeton d’API)."));
    }
    if (!isSafeToCall(container.serviceURL)) {
        throw CloudError(
            cloudcode::internalError,
            CloudKitCloudStoreTexts::tr("L’adresse du service iCloud «\u00a0%1\u00a0» "
                                        "n’est pas une adresse https://.")
                .arg(container.serviceURL.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)));
    }
}

// The service names where files go up and come down; they carry the user's nights.
void requireSafeTransfer(const QUrl& url) {
    if (!isSafeToCall(url)) {
        throw CloudError(
            cloudcode::internalError,
            CloudKitCloudStoreTexts::tr("Le service iCloud a indiqué une adresse de transfert non "
                                        "chiffrée ; elle n’a pas été utilisée."));
    }
}

// The reference asks for '+', '/' and '=' to be escaped in a token; escape all but the
// unreserved characters.
QByteArray queryValue(const QString& value) {
    return QUrl::toPercentEncoding(value);
}

} // namespace

// One operation's requests: the connection, and the token handed from each answer to the next
// request.
class CloudKitCloudStore::Session {
public:
    Session(const CloudKitContainer& container, WebAuthTokens& tokens, const Timing& timing)
        : container_(container)
        , tokens_(tokens)
        , connection_({}, timing.requestTimeout,
                      http::Deadline{timing.requestDeadline, timing.slowLineBytesPerSecond}) {
        requireConfigured(container);
    }

    // A request to the private database; the answer's body when it is a 200. Without a web auth
    // token the service is not even asked, unless `anonymous` asks for its sign-in page.
    http::Answer post(const QString& subpath, const QByteArray& body, bool anonymous = false) {
        return send("POST", QStringLiteral("private/"), subpath, body, anonymous);
    }

    // A request of `verb` to `database` ("private/", "public/").
    http::Answer send(const QByteArray& verb, const QString& database, const QString& subpath,
                      const QByteArray& body, bool anonymous = false) {
        QString token;
        if (!anonymous) {
            // The keyring is read once per operation; then each answer hands over the next.
            if (!token_) {
                token_ = tokens_.current();
            }
            token = *token_;
            if (token.isEmpty()) {
                throw signInRequired();
            }
        }
        QUrl url = container_.serviceURL;
        QString path = url.path();
        if (path.endsWith(u'/')) {
            path.chop(1);
        }
        url.setPath(path + QStringLiteral("/database/1/") + container_.identifier + u'/' +
                    container_.environment + u'/' + database + subpath);
        QByteArray query = "ckAPIToken=" + queryValue(container_.apiToken);
        if (!anonymous) {
            query += "&ckWebAuthToken=" + queryValue(token);
        }
        url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
        http::Answer answer =
            verb == "GET" ? connection_.send(verb, url, {}, QByteArray(), maximumRecordAnswerBytes)
                          : connection_.send(verb, url, {{"Content-Type", "application/json"}},
                                             body, maximumRecordAnswerBytes);
        if (!anonymous && answer.status != 0) {
            takeNewToken(answer, token);
        }
        return answer;
    }

    // The records of a lookup or modify answer, one per record asked.
    std::vector<cloudkit::RecordResult> records(const QString& subpath, const QByteArray& body) {
        const http::Answer answer = post(subpath, body);
        if (answer.status != 200) {
            throw failureOf(answer, container_);
        }
        auto results = cloudkit::parseRecordsAnswer(answer.body);
        if (!results || results->size() != 1) {
            throw unreadableAnswer();
        }
        return std::move(*results);
    }

    // `upload`, when given, is the request's body.
    http::Answer transfer(const QByteArray& verb, const QUrl& url, const QByteArray* upload,
                          qint64 maximumAnswerBytes) {
        requireSafeTransfer(url);
        if (upload) {
            return connection_.send(verb, url, {{"Content-Type", "application/octet-stream"}},
                                    *upload, maximumAnswerBytes);
        }
        return connection_.send(verb, url, {}, QByteArray(), maximumAnswerBytes);
    }

    const CloudKitContainer& container() const { return container_; }

private:
    // Each token serves one round trip; the answer brings the next. The reference does not say
    // where: the header Apple's service is known to send, else a key of the body; with neither,
    // the token in hand stays.
    void takeNewToken(const http::Answer& answer, const QString& sent) {
        QString next = QString::fromLatin1(answer.header(rotatedTokenHeader)).trimmed();
        if (next.isEmpty()) {
            next = cloudkit::parseNewWebAuthToken(answer.body).value_or(QString());
        }
        if (!next.isEmpty() && next != sent) {
            token_ = next;
            tokens_.replace(next);
        }
    }

    const CloudKitContainer& container_;
    WebAuthTokens& tokens_;
    std::optional<QString> token_; // the one for the next request, once read
    http::Connection connection_;
};

CloudKitCloudStore::CloudKitCloudStore(CloudKitContainer container,
                                       std::shared_ptr<WebAuthTokens> tokens)
    : CloudKitCloudStore(std::move(container), std::move(tokens), Timing{}) {}

CloudKitCloudStore::CloudKitCloudStore(CloudKitContainer container,
                                       std::shared_ptr<WebAuthTokens> tokens, Timing timing)
    : container_(std::move(container))
    , tokens_(std::move(tokens))
    , timing_(timing) {}

QUrl CloudKitCloudStore::requestSignInURL() {
    Session session(container_, *tokens_, timing_);
    const http::Answer answer =
        session.post(QStringLiteral("records/lookup"),
                     cloudkit::lookupRequest(QStringLiteral("current-oscar-snapshot")), true);
    const auto error = cloudkit::parseServiceError(answer.body);
    if (answer.status == 421 && error && !error->redirectURL.isEmpty()) {
        requireSafeTransfer(error->redirectURL);
        return error->redirectURL;
    }
    if (answer.status == 200 || answer.status == 421) {
        throw CloudError(
            cloudcode::internalError,
            CloudKitCloudStoreTexts::tr("Le service iCloud n’a pas indiqué de page de connexion."));
    }
    throw failureOf(answer, container_);
}

QString CloudKitCloudStore::requestAccountName() {
    Session session(container_, *tokens_, timing_);
    const http::Answer answer =
        session.send("GET", QStringLiteral("public/"), QStringLiteral("users/caller"), {});
    if (answer.status != 200) {
        throw failureOf(answer, container_);
    }
    return cloudkit::parseCallerName(answer.body).value_or(QString());
}

CloudRecord CloudKitCloudStore::fetchRecord(const QString& recordName) {
    Session session(container_, *tokens_, timing_);
    auto results =
        session.records(QStringLiteral("records/lookup"), cloudkit::lookupRequest(recordName));
    if (const auto* error = std::get_if<ServiceError>(&results.front())) {
        throw errorOf(*error, 200, container_);
    }
    return std::move(std::get<cloudkit::StoredRecord>(results.front()).record);
}

QByteArray CloudKitCloudStore::fetchAsset(const QString& recordName, const QString& fieldName) {
    Session session(container_, *tokens_, timing_);
    const auto results =
        session.records(QStringLiteral("records/lookup"), cloudkit::lookupRequest(recordName));
    if (const auto* error = std::get_if<ServiceError>(&results.front())) {
        throw errorOf(*error, 200, container_);
    }
    const auto& downloads = std::get<cloudkit::StoredRecord>(results.front()).assetDownloads;
    const auto download = downloads.find(fieldName);
    if (download == downloads.end()) {
        throw CloudError(
            cloudcode::unknownItem,
            CloudKitCloudStoreTexts::tr("Les données publiées dans iCloud n’ont pas de fichier "
                                        "«\u00a0%1\u00a0».")
                .arg(fieldName));
    }
    http::Answer answer = session.transfer("GET", download->second, nullptr, maximumAssetBytes);
    if (answer.status != 200) {
        throw failureOf(answer, container_);
    }
    return std::move(answer.body);
}

QString CloudKitCloudStore::saveRecord(const CloudRecord& record) {
    Session session(container_, *tokens_, timing_);
    std::map<QString, QJsonObject> uploaded;
    for (const auto& [name, value] : record.fields) {
        const auto* asset = std::get_if<CloudAsset>(&value);
        if (!asset) {
            continue;
        }
        const QByteArray body = http::borrowedBody(asset->view());
        if (body.size() > maximumUploadBytes) {
            const QLocale french(QLocale::French, QLocale::France);
            throw CloudError(
                cloudcode::quotaExceeded,
                CloudKitCloudStoreTexts::tr(
                    "Vos nuits pèsent %1 Mo une fois encodées, et iCloud n’accepte que "
                    "%2 Mo par fichier : elles n’ont pas été publiées.")
                    .arg(french.toString(static_cast<double>(body.size()) / 1e6, 'f', 1),
                         french.toString(maximumUploadBytes / 1'000'000)));
        }
        const http::Answer tokens =
            session.post(QStringLiteral("assets/upload"),
                         cloudkit::uploadRequest(record.recordType, record.recordName, name));
        if (tokens.status != 200) {
            throw failureOf(tokens, container_);
        }
        const auto url = cloudkit::parseUploadURL(tokens.body);
        if (!url) {
            throw unreadableAnswer();
        }
        const http::Answer sent = session.transfer("POST", *url, &body, maximumRecordAnswerBytes);
        if (sent.status != 200) {
            throw failureOf(sent, container_);
        }
        auto receipt = cloudkit::parseUploadedFile(sent.body);
        if (!receipt) {
            throw unreadableAnswer();
        }
        uploaded.insert_or_assign(name, std::move(*receipt));
    }
    auto results = session.records(QStringLiteral("records/modify"),
                                   cloudkit::modifyRequest(record, uploaded));
    if (const auto* error = std::get_if<ServiceError>(&results.front())) {
        throw errorOf(*error, 200, container_);
    }
    return std::get<cloudkit::StoredRecord>(results.front()).record.changeTag;
}

void CloudKitCloudStore::deleteRecord(const QString& recordName) {
    Session session(container_, *tokens_, timing_);
    const auto results =
        session.records(QStringLiteral("records/modify"), cloudkit::deleteRequest(recordName));
    if (const auto* error = std::get_if<ServiceError>(&results.front())) {
        throw errorOf(*error, 200, container_);
    }
}

} // namespace velunora
