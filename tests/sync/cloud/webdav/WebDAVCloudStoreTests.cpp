#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudTestSupport.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"
#include "sync/cloud/webdav/WebDAVTestServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimeZone>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>

namespace velunora {
namespace {

using testing::WebDAVTestServer;
using namespace std::chrono_literals;

bool isWeak(const QString& tag) {
    return tag.startsWith(QStringLiteral("W/"));
}

// One server for the whole suite: starting Apache costs more than all the cases together. Each
// case publishes under a record name of its own.
class WebDAVCloudStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startServer(WebDAVTestServer::Kind::apache); }
    static void startServer(WebDAVTestServer::Kind kind) {
        if (!WebDAVTestServer::available(kind)) {
            return;
        }
        try {
            server =
                new WebDAVTestServer(QStringLiteral("lunexa"), QStringLiteral("s3cr\u00e8t"), kind);
        } catch (const std::exception& error) {
            startFailure = error.what();
        }
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override { requireServer(WebDAVTestServer::Kind::apache); }
    void requireServer(WebDAVTestServer::Kind kind) {
        if (!WebDAVTestServer::available(kind)) {
            GTEST_SKIP() << WebDAVTestServer::packageOf(kind)
                         << " is not installed: WebDAV store tests skipped";
        }
        ASSERT_NE(server, nullptr) << startFailure;
    }

    WebDAVCloudStore store(const QString& password, QUrl url = {}) const {
        return WebDAVCloudStore(
            {url.isEmpty() ? server->collectionUrl() : url, server->user()},
            [password] { return password; }, WebDAVCloudStore::Timing{5s, 3s});
    }
    WebDAVCloudStore store() const { return store(server->password()); }

    CloudRecord record(const QString& name, const QByteArray& payload, QString changeTag = {},
                       qint64 nightCount = 1) {
        return CloudRecord{QStringLiteral("OscarSnapshot"),
                           name,
                           std::move(changeTag),
                           {{QStringLiteral("generatedAt"),
                             QDateTime(QDate(2024, 5, 2), QTime(6, 30, 15, 250), QTimeZone::utc())},
                            {QStringLiteral("nightCount"), nightCount},
                            {QStringLiteral("profile"), QStringLiteral("Nuit d’été & <co>")},
                            {QStringLiteral("payload"), testing::assetOf(payload.toStdString())}}};
    }

    // Polls until the server has settled the resource's ETag (a second after its last change).
    CloudRecord fetchSettled(WebDAVCloudStore& webDAV, const QString& name) {
        CloudRecord fetched = webDAV.fetchRecord(name);
        for (int attempt = 0; attempt < 30 && isWeak(fetched.changeTag); ++attempt) {
            QThread::msleep(100);
            fetched = webDAV.fetchRecord(name);
        }
        EXPECT_FALSE(isWeak(fetched.changeTag));
        return fetched;
    }

    static inline WebDAVTestServer* server = nullptr;
    static inline std::string startFailure;
};

TEST_F(WebDAVCloudStoreTest, FirstSaveCreatesTheResourceWithItsFields) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("first-save");
    EXPECT_EQ(testing::cloudErrorCode([&] { webDAV.fetchRecord(name); }), cloudcode::unknownItem);

    const QString savedTag =
        webDAV.saveRecord(record(name, R"({"nights" : [ ]})", {}, qint64{1} << 62));

    const CloudRecord fetched = webDAV.fetchRecord(name);
    // Apache names no version in its answer to a PUT: the store then tells none rather than
    // guess one that another writer may have made meanwhile.
    EXPECT_TRUE(savedTag.isEmpty() || sameChangeTag(savedTag, fetched.changeTag))
        << savedTag.toStdString();
    EXPECT_EQ(webDAV.fetchAsset(name, QStringLiteral("payload")), R"({"nights" : [ ]})");
    EXPECT_EQ(fetched.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(fetched.recordName, name);
    EXPECT_FALSE(fetched.changeTag.isEmpty());
    EXPECT_EQ(std::get<QDateTime>(fetched.fields.at(QStringLiteral("generatedAt"))),
              QDateTime(QDate(2024, 5, 2), QTime(6, 30, 15, 250), QTimeZone::utc()));
    EXPECT_EQ(std::get<qint64>(fetched.fields.at(QStringLiteral("nightCount"))), qint64{1} << 62);
    EXPECT_EQ(std::get<QString>(fetched.fields.at(QStringLiteral("profile"))),
              QStringLiteral("Nuit d’été & <co>"));
    EXPECT_FALSE(fetched.fields.contains(QStringLiteral("payload"))) << "assets are not fetched";
    int status = 0;
    EXPECT_EQ(server->get(name + QStringLiteral(".json"), &status), R"({"nights" : [ ]})");
    EXPECT_EQ(status, 200);

    EXPECT_EQ(testing::cloudErrorCode([&] { webDAV.saveRecord(record(name, "again")); }),
              cloudcode::serverRecordChanged)
        << "a new record where one exists is a conflict";
}

// Apache answers a fetch right after a write with a weak ETag and refuses If-Match while it is
// weak: the store must not turn that into a conflict.
TEST_F(WebDAVCloudStoreTest, SaveRightAfterSaveIsNoConflict) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("save-after-save");
    webDAV.saveRecord(record(name, "first"));
    const CloudRecord fetched = webDAV.fetchRecord(name);
    ASSERT_TRUE(isWeak(fetched.changeTag))
        << "the server no longer sets the trap: " << fetched.changeTag.toStdString();

    EXPECT_NO_THROW(webDAV.saveRecord(record(name, "second", fetched.changeTag, 2)));

    EXPECT_EQ(server->get(name + QStringLiteral(".json")), "second");
    EXPECT_EQ(std::get<qint64>(webDAV.fetchRecord(name).fields.at(QStringLiteral("nightCount"))),
              2);
}

TEST_F(WebDAVCloudStoreTest, LaterSaveWithTheFetchedTagReplacesTheRecord) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("later-save");
    webDAV.saveRecord(record(name, "first"));
    const CloudRecord fetched = fetchSettled(webDAV, name);

    webDAV.saveRecord(record(name, "second", fetched.changeTag, 7));

    const CloudRecord replaced = webDAV.fetchRecord(name);
    EXPECT_NE(replaced.changeTag, fetched.changeTag);
    EXPECT_EQ(replaced.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(std::get<qint64>(replaced.fields.at(QStringLiteral("nightCount"))), 7);
    EXPECT_EQ(server->get(name + QStringLiteral(".json")), "second");
}

TEST_F(WebDAVCloudStoreTest, ChangeBetweenFetchAndSaveIsAConflict) {
    WebDAVCloudStore webDAV = store();
    const QString recent = QStringLiteral("conflict-after-recent-change");
    webDAV.saveRecord(record(recent, "ours"));
    const CloudRecord weakFetch = webDAV.fetchRecord(recent);
    ASSERT_EQ(server->put(recent + QStringLiteral(".json"), "theirs"), 204);
    EXPECT_EQ(testing::cloudErrorCode(
                  [&] { webDAV.saveRecord(record(recent, "stale", weakFetch.changeTag)); }),
              cloudcode::serverRecordChanged)
        << "with a weak fetched tag";
    EXPECT_EQ(server->get(recent + QStringLiteral(".json")), "theirs");

    const QString settled = QStringLiteral("conflict-after-settled-fetch");
    webDAV.saveRecord(record(settled, "ours"));
    const CloudRecord strongFetch = fetchSettled(webDAV, settled);
    ASSERT_EQ(server->put(settled + QStringLiteral(".json"), "theirs"), 204);
    EXPECT_EQ(testing::cloudErrorCode(
                  [&] { webDAV.saveRecord(record(settled, "stale", strongFetch.changeTag)); }),
              cloudcode::serverRecordChanged)
        << "with a strong fetched tag";
    EXPECT_EQ(server->get(settled + QStringLiteral(".json")), "theirs");

    EXPECT_EQ(testing::cloudErrorCode([&] {
                  webDAV.saveRecord(
                      record(QStringLiteral("deleted-meanwhile"), "x", strongFetch.changeTag));
              }),
              cloudcode::serverRecordChanged)
        << "a tag for a record that is gone";
}

TEST_F(WebDAVCloudStoreTest, TheFirstSaveFindsConditionalWritesHonoured) {
    WebDAVCloudStore webDAV = store();
    EXPECT_EQ(webDAV.honoursConditionalWrites(), std::nullopt);
    webDAV.saveRecord(record(QStringLiteral("honoured"), "x"));
    EXPECT_EQ(webDAV.honoursConditionalWrites(), true);
    for (const QString& name : server->resourceNames()) {
        EXPECT_FALSE(name.contains(QStringLiteral("condition-check"))) << name.toStdString();
    }
}

TEST_F(WebDAVCloudStoreTest, DeleteRemovesTheRecordAndAMissingOneIsUnknown) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("deleted");
    EXPECT_EQ(testing::cloudErrorCode([&] { webDAV.deleteRecord(name); }), cloudcode::unknownItem);
    webDAV.saveRecord(record(name, "bytes"));
    webDAV.deleteRecord(name);
    EXPECT_EQ(testing::cloudErrorCode([&] { webDAV.fetchRecord(name); }), cloudcode::unknownItem);
}

TEST_F(WebDAVCloudStoreTest, FailuresOfTheServerOrTheAccountHaveTheirCodes) {
    WebDAVCloudStore wrongPassword = store(QStringLiteral("wrong"));
    EXPECT_EQ(testing::cloudErrorCode([&] { wrongPassword.fetchRecord(QStringLiteral("any")); }),
              cloudcode::notAuthenticated);
    EXPECT_EQ(testing::cloudErrorCode(
                  [&] { wrongPassword.saveRecord(record(QStringLiteral("any"), "x")); }),
              cloudcode::notAuthenticated);

    QUrl down = server->collectionUrl();
    down.setPort(WebDAVTestServer::unusedPort());
    WebDAVCloudStore unreachable({down, server->user()}, [] { return QStringLiteral("x"); });
    QElapsedTimer clock;
    clock.start();
    try {
        unreachable.fetchRecord(QStringLiteral("any"));
        ADD_FAILURE() << "a server that is down answered";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::networkFailure);
        EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("127.0.0.1")))
            << error.what();
    }
    EXPECT_LT(clock.elapsed(), 2000) << "a refused connection fails at once";

    WebDAVCloudStore noPassword({server->collectionUrl(), server->user()}, []() -> QString {
        throw CloudError(cloudcode::notAuthenticated, QStringLiteral("pas de mot de passe"));
    });
    EXPECT_EQ(testing::cloudErrorCode([&] { noPassword.fetchRecord(QStringLiteral("any")); }),
              cloudcode::notAuthenticated);
}

// rclone's server refuses our dead properties (403 in the PROPPATCH's propstat) and ignores
// If-Match and If-None-Match: the record is saved all the same, and a change elsewhere is still
// a conflict.
class WebDAVServerIgnoringConditionsTest : public WebDAVCloudStoreTest {
protected:
    static void SetUpTestSuite() { startServer(WebDAVTestServer::Kind::rclone); }
    void SetUp() override { requireServer(WebDAVTestServer::Kind::rclone); }
};

TEST_F(WebDAVServerIgnoringConditionsTest, ARecordIsSavedWithoutItsPropertiesAndReadsBack) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("without-properties");
    const QString savedTag = webDAV.saveRecord(record(name, "first"));
    EXPECT_EQ(webDAV.honoursConditionalWrites(), false);

    const CloudRecord fetched = webDAV.fetchRecord(name);
    EXPECT_FALSE(fetched.changeTag.isEmpty());
    EXPECT_TRUE(savedTag.isEmpty() || sameChangeTag(savedTag, fetched.changeTag))
        << savedTag.toStdString() << " " << fetched.changeTag.toStdString();
    EXPECT_FALSE(fetched.fields.contains(QStringLiteral("nightCount")));
    EXPECT_EQ(webDAV.fetchAsset(name, QStringLiteral("payload")), "first");

    EXPECT_NO_THROW(webDAV.saveRecord(record(name, "second", fetched.changeTag, 2)));
    EXPECT_EQ(server->get(name + QStringLiteral(".json")), "second");
    EXPECT_EQ(server->resourceNames(), QStringList{name + QStringLiteral(".json")})
        << "the check of conditions left its resource";
}

TEST_F(WebDAVServerIgnoringConditionsTest, AChangeElsewhereIsStillAConflict) {
    WebDAVCloudStore webDAV = store();
    const QString name = QStringLiteral("changed-elsewhere");
    webDAV.saveRecord(record(name, "ours"));
    EXPECT_EQ(testing::cloudErrorCode([&] { webDAV.saveRecord(record(name, "again")); }),
              cloudcode::serverRecordChanged)
        << "a new record where one exists";

    const CloudRecord fetched = webDAV.fetchRecord(name);
    ASSERT_EQ(server->put(name + QStringLiteral(".json"), "theirs, longer"), 201);
    EXPECT_EQ(testing::cloudErrorCode(
                  [&] { webDAV.saveRecord(record(name, "stale", fetched.changeTag)); }),
              cloudcode::serverRecordChanged)
        << "a tag fetched before another's write";
    EXPECT_EQ(server->get(name + QStringLiteral(".json")), "theirs, longer");

    EXPECT_EQ(testing::cloudErrorCode([&] {
                  webDAV.saveRecord(
                      record(QStringLiteral("gone-meanwhile"), "x", fetched.changeTag));
              }),
              cloudcode::serverRecordChanged)
        << "a tag for a record that is gone";
}

// Stands between the store and the server, one request per connection, and lets another
// computer write the record right after each of our writes to it, before we hear the answer.
class OvertakingProxy {
public:
    OvertakingProxy(quint16 serverPort, QString recordPath, std::function<void()> otherWrite) {
        std::promise<quint16> listening;
        std::future<quint16> port = listening.get_future();
        thread_.reset(QThread::create([=, &listening] {
            QTcpServer proxy;
            proxy.listen(QHostAddress::LocalHost);
            listening.set_value(proxy.serverPort());
            while (!QThread::currentThread()->isInterruptionRequested()) {
                if (!proxy.waitForNewConnection(50)) {
                    continue;
                }
                const std::unique_ptr<QTcpSocket> client(proxy.nextPendingConnection());
                QByteArray request;
                while (!complete(request) && client->waitForReadyRead(5000)) {
                    request += client->readAll();
                }
                QTcpSocket server;
                server.connectToHost(QHostAddress::LocalHost, serverPort);
                server.waitForConnected(5000);
                server.write(request);
                QByteArray answer;
                while (server.waitForReadyRead(5000)) {
                    answer += server.readAll();
                }
                answer += server.readAll();
                if (request.startsWith("PUT " + recordPath.toUtf8() + " ")) {
                    otherWrite();
                }
                client->write(answer);
                client->waitForBytesWritten(5000);
                client->disconnectFromHost();
            }
        }));
        thread_->start();
        port_ = port.get();
    }
    ~OvertakingProxy() {
        thread_->requestInterruption();
        thread_->wait();
    }

    quint16 port() const { return port_; }

private:
    static bool complete(const QByteArray& request) {
        const auto headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            return false;
        }
        qint64 length = 0;
        for (const QByteArray& line : request.left(headerEnd).split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                length = line.mid(15).trimmed().toLongLong();
            }
        }
        return request.size() - headerEnd - 4 >= length;
    }

    std::unique_ptr<QThread> thread_;
    quint16 port_ = 0;
};

TEST_F(WebDAVServerIgnoringConditionsTest, AWriteElsewhereRightAfterOursIsAConflict) {
    const QString name = QStringLiteral("overtaken");
    const QString resource = name + QStringLiteral(".json");
    store().saveRecord(record(name, "first"));
    const CloudRecord fetched = store().fetchRecord(name);

    const QUrl direct = server->collectionUrl();
    OvertakingProxy proxy(static_cast<quint16>(direct.port()), direct.path() + u'/' + resource,
                          [] { server->put(QStringLiteral("overtaken.json"), "theirs"); });
    QUrl throughProxy = direct;
    throughProxy.setPort(proxy.port());
    WebDAVCloudStore webDAV = store(server->password(), throughProxy);
    EXPECT_EQ(testing::cloudErrorCode(
                  [&] { webDAV.saveRecord(record(name, "ours", fetched.changeTag)); }),
              cloudcode::serverRecordChanged);
    EXPECT_EQ(server->get(resource), "theirs");
}

} // namespace
} // namespace velunora
