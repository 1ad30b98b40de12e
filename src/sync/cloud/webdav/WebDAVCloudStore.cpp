#include "sync/cloud/webdav/WebDAVCloudStore.h"

#include "sync/Logging.h"
#include "sync/cloud/HttpExchange.h"
#include "sync/cloud/Keychain.h"
#include "sync/cloud/webdav/WebDAVFailures.h"
#include "sync/cloud/webdav/WebDAVMultistatus.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUuid>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace velunora {

namespace {

using namespace std::chrono_literals;

using http::Answer;
using http::Connection;
using http::Deadline;
using http::hasNetwork;
using http::Headers;
using http::isLoopback;
using webdav::davNamespace;
using webdav::failureOf;
using webdav::fieldNamespace;
using webdav::invalidName;
using webdav::ownNamespace;
using webdav::parseMultistatus;
using webdav::recordChanged;
using webdav::unexpectedAnswer;
using webdav::unreadableAnswer;

// A record name becomes a resource name: no separators, nothing hidden.
void requireRecordName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/')) {
        throw invalidName(name);
    }
}

// A field becomes the local name of an XML element.
void requireFieldName(const QString& name) {
    static const QRegularExpression xmlName(QStringLiteral("^[A-Za-z_][A-Za-z0-9._-]*$"));
    if (!xmlName.match(name).hasMatch()) {
        throw invalidName(name);
    }
}

// What a server may send back to a PROPFIND or a PROPPATCH about one resource: a few kilobytes
// in practice.
constexpr qint64 maximumPropertyAnswerBytes = qint64{4} << 20;

bool isWeak(const QString& tag) {
    return tag.startsWith(QStringLiteral("W/"));
}
QString opaqueTag(const QString& tag) {
    return isWeak(tag) ? tag.mid(2) : tag;
}

const Headers xmlBody{{"Content-Type", "application/xml; charset=utf-8"}};
const Headers depthZero{{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "0"}};

QByteArray propertyUpdate(const CloudRecord& record) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(davNamespace, QStringLiteral("d"));
    xml.writeNamespace(ownNamespace, QStringLiteral("v"));
    xml.writeNamespace(fieldNamespace, QStringLiteral("f"));
    xml.writeStartElement(davNamespace, QStringLiteral("propertyupdate"));
    xml.writeStartElement(davNamespace, QStringLiteral("set"));
    xml.writeStartElement(davNamespace, QStringLiteral("prop"));
    xml.writeTextElement(ownNamespace, QStringLiteral("recordType"), record.recordType);
    for (const auto& [name, value] : record.fields) {
        if (std::holds_alternative<CloudAsset>(value)) {
            continue;
        }
        xml.writeStartElement(fieldNamespace, name);
        if (const auto* date = std::get_if<QDateTime>(&value)) {
            xml.writeTextElement(ownNamespace, QStringLiteral("date"),
                                 date->toUTC().toString(Qt::ISODateWithMs));
        } else if (const auto* integer = std::get_if<qint64>(&value)) {
            xml.writeTextElement(ownNamespace, QStringLiteral("integer"),
                                 QString::number(*integer));
        } else {
            xml.writeTextElement(ownNamespace, QStringLiteral("text"), std::get<QString>(value));
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return body;
}

} // namespace

WebDAVCloudStore::WebDAVCloudStore(WebDAVAccount account, WebDAVPasswordSource password)
    : WebDAVCloudStore(std::move(account), std::move(password), Timing{}) {}

WebDAVCloudStore::WebDAVCloudStore(WebDAVAccount account, WebDAVPasswordSource password,
                                   Timing timing)
    : account_(std::move(account))
    , password_(std::move(password))
    , timing_(timing) {}

QUrl WebDAVCloudStore::recordUrl(const QString& recordName) const {
    QUrl url =
        account_.baseUrl.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment);
    QString path = url.path();
    if (!path.endsWith(u'/')) {
        path += u'/';
    }
    url.setPath(path + recordName + QStringLiteral(".json"));
    return url;
}

namespace {

// The password goes up front rather than after a 401, so a large body goes out once; the store
// only talks to https or to this computer (see requireUsableWebDAVAddress).
Connection connect(const WebDAVAccount& account, const QString& password,
                   const WebDAVCloudStore::Timing& timing) {
    return Connection(
        {{"Authorization", "Basic " + (account.user + u':' + password).toUtf8().toBase64()}},
        timing.requestTimeout, Deadline{timing.requestDeadline, timing.slowLineBytesPerSecond});
}

// The resource's tag as the server gives it now; nothing when there is no resource, an empty tag
// when the server gives none.
std::optional<QString> currentTag(Connection& connection, const QUrl& url,
                                  const WebDAVAccount& account) {
    const Answer answer = connection.send(
        "PROPFIND", url, depthZero,
        R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:"><d:prop><d:getetag/></d:prop></d:propfind>)",
        maximumPropertyAnswerBytes);
    if (answer.status == 404) {
        return std::nullopt;
    }
    if (answer.status != 207) {
        throw failureOf(answer, account);
    }
    const auto properties = parseMultistatus(answer.body);
    if (!properties) {
        throw unreadableAnswer(account);
    }
    return properties->etag;
}

// Apache's mod_dav (like Apache for any file) hands out a weak ETag, W/"…", for a resource
// changed less than a second before the request, because a second change within the same second
// might keep the same tag; and while the current ETag is weak it refuses every If-Match with 412,
// whatever tag is sent. So a save right after a save would report a conflict that is none. The
// weak tag carries the same opaque part as the strong one the server gives once the second is
// over, so: re-read the ETag until it is strong (a few polls, bounded by weakTagSettling), and
// compare opaque parts. Different: the resource changed since our fetch, a real conflict. Same:
// it is untouched, and the strong tag goes into If-Match, where the server still catches a change
// that comes in between. A server that never gives strong tags gets the weak one after the bound.
QString settledTag(Connection& connection, const QUrl& url, const QString& fetchedTag,
                   const WebDAVAccount& account, std::chrono::milliseconds settling) {
    if (!isWeak(fetchedTag)) {
        return fetchedTag;
    }
    const auto deadline = std::chrono::steady_clock::now() + settling;
    for (;;) {
        const std::optional<QString> current = currentTag(connection, url, account);
        if (!current) {
            throw recordChanged();
        }
        if (current->isEmpty()) {
            throw unreadableAnswer(account);
        }
        if (opaqueTag(*current) != opaqueTag(fetchedTag)) {
            throw recordChanged();
        }
        if (!isWeak(*current) || std::chrono::steady_clock::now() >= deadline) {
            return *current;
        }
        std::this_thread::sleep_for(150ms);
    }
}

// Where the server ignores conditions: the resource must still be the version the record was
// fetched as (or still be absent for a new one), compared by the opaque part of the tags.
void requireUnchanged(Connection& connection, const QUrl& url, const QString& fetchedTag,
                      const WebDAVAccount& account) {
    const std::optional<QString> current = currentTag(connection, url, account);
    if (!current) {
        if (fetchedTag.isEmpty()) {
            return;
        }
        throw recordChanged();
    }
    if (fetchedTag.isEmpty() || opaqueTag(*current) != opaqueTag(fetchedTag)) {
        throw recordChanged();
    }
}

// Where the server ignores conditions, another computer may have written between the check and
// our write, or just after it: what the server holds now must be what we wrote, by its tag when
// the server gave one for our write, else by its bytes. Otherwise the caller fetches, merges and
// saves again, as after a 412. Gives the tag of what we wrote.
QString requireWritten(Connection& connection, const QUrl& url, const QString& writtenTag,
                       const QByteArray& written, const WebDAVAccount& account) {
    if (!writtenTag.isEmpty()) {
        const std::optional<QString> current = currentTag(connection, url, account);
        if (!current) {
            throw recordChanged();
        }
        if (!current->isEmpty()) {
            if (opaqueTag(*current) != opaqueTag(writtenTag)) {
                throw recordChanged();
            }
            return writtenTag;
        }
    }
    const Answer answer = connection.send("GET", url, {}, QByteArray(), maximumAssetBytes);
    if (answer.status == 404) {
        throw recordChanged();
    }
    if (answer.status != 200) {
        throw failureOf(answer, account);
    }
    if (answer.body != written) {
        throw recordChanged();
    }
    return QString::fromLatin1(answer.header("ETag")).trimmed();
}

} // namespace

CloudRecord WebDAVCloudStore::fetchRecord(const QString& recordName) {
    requireRecordName(recordName);
    requireUsableWebDAVAddress(account_);
    Connection connection = connect(account_, password_(), timing_);
    const Answer answer = connection.send(
        "PROPFIND", recordUrl(recordName), depthZero,
        R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:"><d:allprop/></d:propfind>)",
        maximumPropertyAnswerBytes);
    if (answer.status != 207) {
        throw failureOf(answer, account_);
    }
    auto properties = parseMultistatus(answer.body);
    if (!properties || properties->etag.isEmpty()) {
        throw unreadableAnswer(account_);
    }
    return CloudRecord{std::move(properties->recordType), recordName, std::move(properties->etag),
                       std::move(properties->fields)};
}

QString WebDAVCloudStore::saveRecord(const CloudRecord& record) {
    requireRecordName(record.recordName);
    requireUsableWebDAVAddress(account_);
    const CloudAsset* asset = nullptr;
    for (const auto& [name, value] : record.fields) {
        if (const auto* candidate = std::get_if<CloudAsset>(&value)) {
            if (asset) {
                throw CloudError(
                    cloudcode::internalError,
                    WebDAVCloudStoreTexts::tr("Un enregistrement WebDAV ne contient qu’un seul "
                                              "fichier."));
            }
            asset = candidate;
        } else {
            requireFieldName(name);
        }
    }
    if (!asset) {
        throw CloudError(
            cloudcode::internalError,
            WebDAVCloudStoreTexts::tr("L’enregistrement ne contient aucun fichier à publier."));
    }
    const QByteArray body = http::borrowedBody(asset->view());

    const QUrl url = recordUrl(record.recordName);
    Connection connection = connect(account_, password_(), timing_);
    const bool conditionsHold = conditionalWritesHold(connection);
    Headers headers{{"Content-Type", "application/json"}};
    if (!conditionsHold) {
        requireUnchanged(connection, url, record.changeTag, account_);
    } else if (record.changeTag.isEmpty()) {
        headers.emplace_back("If-None-Match", "*");
    } else {
        headers.emplace_back("If-Match", settledTag(connection, url, record.changeTag, account_,
                                                    timing_.weakTagSettling)
                                             .toUtf8());
    }
    const Answer put = connection.send("PUT", url, headers, body, maximumPropertyAnswerBytes);
    if (put.status != 200 && put.status != 201 && put.status != 204) {
        throw failureOf(put, account_);
    }
    QString savedTag = QString::fromLatin1(put.header("ETag")).trimmed();
    if (!conditionsHold) {
        savedTag = requireWritten(connection, url, savedTag, body, account_);
    }
    // The body is the commit point; the properties follow without a condition, since the ETag
    // of what we just wrote is weak for a second (see settledTag). A server that does not keep
    // them (403, 405, 501, or a failed propstat) has still taken the record, and is not asked
    // again.
    if (keepsProperties_) {
        const Answer patch = connection.send("PROPPATCH", url, xmlBody, propertyUpdate(record),
                                             maximumPropertyAnswerBytes);
        bool allSucceeded = false;
        const bool kept =
            patch.status == 200 || patch.status == 204 ||
            (patch.status == 207 && parseMultistatus(patch.body, &allSucceeded) && allSucceeded);
        if (!kept && patch.status != 0 && patch.status != 401) {
            keepsProperties_ = false;
        }
    }
    // Dead properties live beside the body: the tag of the PUT still names this version.
    return savedTag;
}

std::optional<bool> WebDAVCloudStore::honoursConditionalWrites() const {
    switch (conditionalWrites_.load()) {
    case Support::yes:
        return true;
    case Support::no:
        return false;
    case Support::unknown:
        break;
    }
    return std::nullopt;
}

std::optional<bool> WebDAVCloudStore::checkConditionalWrites() {
    requireUsableWebDAVAddress(account_);
    Connection connection = connect(account_, password_(), timing_);
    conditionalWritesHold(connection);
    return honoursConditionalWrites();
}

// A write to a resource of its own under a condition that cannot hold: a server that honours
// conditions refuses it with 412 and writes nothing; one that ignores them writes it, and the
// store deletes it again.
bool WebDAVCloudStore::conditionalWritesHold(Connection& connection) {
    const Support known = conditionalWrites_;
    if (known != Support::unknown) {
        return known == Support::yes;
    }
    const QUrl probe = recordUrl(QStringLiteral("velunora-condition-check-") +
                                 QUuid::createUuid().toString(QUuid::WithoutBraces));
    const Answer answer = connection.send(
        "PUT", probe,
        {{"Content-Type", "application/json"}, {"If-Match", "\"velunora-version-that-never-was\""}},
        "{}", maximumPropertyAnswerBytes);
    if (answer.status == 412) {
        conditionalWrites_ = Support::yes;
        return true;
    }
    if (answer.status / 100 == 2) {
        conditionalWrites_ = Support::no;
        connection.send("DELETE", probe, {}, QByteArray(), maximumPropertyAnswerBytes);
        return false;
    }
    if (answer.status == 0) {
        throw failureOf(answer, account_);
    }
    // Refused for another reason (the account may not write, the folder is missing): the save
    // that follows says which, and is checked the safe way meanwhile.
    return false;
}

QByteArray WebDAVCloudStore::fetchAsset(const QString& recordName, const QString& fieldName) {
    requireRecordName(recordName);
    requireUsableWebDAVAddress(account_);
    Q_UNUSED(fieldName) // the resource's body is the record's only asset
    Connection connection = connect(account_, password_(), timing_);
    Answer answer =
        connection.send("GET", recordUrl(recordName), {}, QByteArray(), maximumAssetBytes);
    if (answer.status != 200) {
        throw failureOf(answer, account_);
    }
    return std::move(answer.body);
}

void WebDAVCloudStore::deleteRecord(const QString& recordName) {
    requireRecordName(recordName);
    requireUsableWebDAVAddress(account_);
    Connection connection = connect(account_, password_(), timing_);
    const Answer answer = connection.send("DELETE", recordUrl(recordName), {}, QByteArray(),
                                          maximumPropertyAnswerBytes);
    if (answer.status != 200 && answer.status != 204) {
        throw failureOf(answer, account_);
    }
}

} // namespace velunora
