#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/CloudTestSupport.h"
#include "sync/cloud/cloudkit/CloudKitStandIn.h"
#include "sync/cloud/cloudkit/ICloudSignIn.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace velunora {
namespace {

using testing::CloudKitStandIn;
using testing::MemoryWebAuthTokens;
using namespace std::chrono_literals;

using testing::await;

QString failureText(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const CloudError& error) {
        return error.localizedDescription();
    }
    return {};
}

OscarSnapshot snapshotWithNights(int count) {
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{1714631415.25};
    snapshot.machines = {
        makePAPMachine("ResMed", "AirSense 10 AutoSet", "23171234567", Date{1714631415})};
    for (int index = 0; index < count; ++index) {
        NightSummary night;
        night.date = Date{1714514400.0 + 86400.0 * index};
        night.totalHours = 7.5;
        night.ahi = 1.25;
        snapshot.nights.push_back(night);
    }
    return snapshot;
}

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QJsonObject fieldValue(const QJsonObject& record, const char* name) {
    return record.value(QStringLiteral("fields"))
        .toObject()
        .value(QString::fromLatin1(name))
        .toObject();
}

class CloudKitCloudStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CloudKitStandIn::available()) {
            GTEST_SKIP() << "python3 is not installed: the CloudKit stand-in cannot run";
        }
        ASSERT_TRUE(folder.isValid());
    }

    // A stand-in of its own per case: the record, the tokens and the injected failures start
    // afresh.
    std::unique_ptr<CloudKitStandIn> start(CloudKitStandIn::Options options = {}) {
        auto standIn = std::make_unique<CloudKitStandIn>(options);
        tokens = std::make_shared<MemoryWebAuthTokens>(standIn->issueToken());
        return standIn;
    }
    std::unique_ptr<CloudKitCloudStore> store(const CloudKitStandIn& standIn) const {
        return std::make_unique<CloudKitCloudStore>(standIn.container(), tokens,
                                                    CloudKitCloudStore::Timing{5s, 20s});
    }
    CloudSnapshotService service(const CloudKitStandIn& standIn) const {
        return CloudSnapshotService(store(standIn));
    }

    // The system's temporary folder while the case runs: a save leaves nothing in it.
    QTemporaryDir folder;
    const testing::ScopedSystemTemporaryFolder systemTemporary{folder.path().toStdString()};
    std::shared_ptr<MemoryWebAuthTokens> tokens;
    const QString name = snapshotRecordName;
};

TEST_F(CloudKitCloudStoreTest,
       SavesCreateThenReplaceTheRecordThePhoneAppReadsAndItsPayloadReadsBack) {
    const auto standIn = start();
    CloudSnapshotService publisher(store(*standIn));
    await(publisher.saveSnapshot(snapshotWithNights(1)));

    const QJsonObject created = standIn->record(name);
    EXPECT_EQ(created.value(QStringLiteral("recordType")).toString(),
              QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(fieldValue(created, "generatedAt").value(QStringLiteral("value")).toDouble(),
              1714631415250.0);
    EXPECT_EQ(fieldValue(created, "nightCount").value(QStringLiteral("value")).toInt(), 1);
    EXPECT_EQ(standIn->payload(name).toStdString(),
              makeSnapshotEncoder().encode(snapshotWithNights(1)));

    // The later save replaces the three fields of the same record, and what reads back is, byte
    // for byte, what the local export holds.
    const OscarSnapshot later = snapshotWithNights(3);
    await(publisher.saveSnapshot(later));
    const QJsonObject replaced = standIn->record(name);
    EXPECT_EQ(replaced.value(QStringLiteral("recordType")).toString(),
              QStringLiteral("OscarSnapshot"));
    EXPECT_NE(replaced.value(QStringLiteral("recordChangeTag")),
              created.value(QStringLiteral("recordChangeTag")));
    EXPECT_EQ(fieldValue(replaced, "nightCount").value(QStringLiteral("value")).toInt(), 3);
    const PublishedSnapshot published = await(publisher.fetchPublishedSnapshot({}));
    ASSERT_TRUE(published.changeTag && published.payload);
    EXPECT_EQ(*published.payload, makeSnapshotEncoder().encode(later));
    EXPECT_EQ(*published.changeTag, replaced.value(QStringLiteral("recordChangeTag")).toString());
    EXPECT_EQ(std::get<qint64>(
                  store(*standIn)->fetchRecord(name).fields.at(QStringLiteral("nightCount"))),
              3);

    // Every request used the token the answer before it handed over (the stand-in accepts each
    // once), and no temporary payload stayed behind.
    EXPECT_GE(tokens->replacements(), 6);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CloudKitCloudStoreTest, AChangeElsewhereIsAConflictAndDeletingNothingIsDone) {
    const auto standIn = start();
    const auto iCloud = store(*standIn);
    EXPECT_EQ(testing::cloudErrorCode([&] { iCloud->fetchRecord(name); }), cloudcode::unknownItem);
    CloudRecord record{snapshotRecordType,
                       name,
                       {},
                       {{QStringLiteral("nightCount"), qint64{0}},
                        {QStringLiteral("payload"), testing::assetOf(R"({"nights":[]})")}}};
    record.changeTag = iCloud->saveRecord(record);
    EXPECT_EQ(testing::cloudErrorCode([&] {
                  iCloud->saveRecord({record.recordType, name, {}, record.fields});
              }),
              cloudcode::serverRecordChanged)
        << "a new record where one exists";

    // Another device saves between our fetch and our save.
    const CloudRecord fetched = iCloud->fetchRecord(name);
    EXPECT_EQ(fetched.changeTag, record.changeTag);
    standIn->touch(name);
    record.changeTag = fetched.changeTag;
    EXPECT_EQ(testing::cloudErrorCode([&] { iCloud->saveRecord(record); }),
              cloudcode::serverRecordChanged);
    EXPECT_EQ(iCloud->fetchAsset(name, QStringLiteral("payload")), R"({"nights":[]})");

    CloudSnapshotService publisher(store(*standIn));
    await(publisher.deleteSnapshot());
    EXPECT_TRUE(standIn->record(name).isEmpty());
    EXPECT_NO_THROW(await(publisher.deleteSnapshot())) << "nothing to delete is no failure";
}

TEST_F(CloudKitCloudStoreTest, TheServiceSaysWhenToTryAgainAndALargePayloadIsNeverSent) {
    const auto standIn = start();
    const auto iCloud = store(*standIn);
    standIn->failNext({{QStringLiteral("operation"), QStringLiteral("lookup")},
                       {QStringLiteral("status"), 429},
                       {QStringLiteral("serverErrorCode"), QStringLiteral("THROTTLED")},
                       {QStringLiteral("retryAfter"), 150}});
    try {
        iCloud->fetchRecord(name);
        ADD_FAILURE() << "no failure";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::networkFailure);
        EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("dans 3 minutes")))
            << error.localizedDescription().toStdString();
    }
    standIn->failNext({{QStringLiteral("operation"), QStringLiteral("modify")},
                       {QStringLiteral("status"), 413},
                       {QStringLiteral("serverErrorCode"), QStringLiteral("QUOTA_EXCEEDED")}});
    EXPECT_EQ(testing::cloudErrorCode([&] { iCloud->deleteRecord(name); }),
              cloudcode::quotaExceeded);
    // The throttled and failed requests still handed a token over: the next one goes through.
    EXPECT_EQ(testing::cloudErrorCode([&] { iCloud->fetchRecord(name); }), cloudcode::unknownItem);

    const CloudAsset large = testing::assetOf(
        std::string(static_cast<std::size_t>(CloudKitCloudStore::maximumUploadBytes) + 1, ' '));
    const QStringList before = standIn->requestPaths();
    const QString refusal = failureText([&] {
        iCloud->saveRecord({snapshotRecordType, name, {}, {{QStringLiteral("payload"), large}}});
    });
    EXPECT_TRUE(refusal.contains(QStringLiteral("15 Mo"))) << refusal.toStdString();
    EXPECT_EQ(standIn->requestPaths(), before) << "nothing was sent";
}

// The browser of the test: follows the sign-in page's redirect to the callback, as a browser
// does once the user has signed in.
void browse(const QUrl& page) {
    QNetworkAccessManager browser;
    QNetworkRequest request(page);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = browser.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    delete reply;
}

TEST_F(CloudKitCloudStoreTest, AnExpiredSessionAsksToSignInAndTheSignInOpensItAgain) {
    const quint16 callbackPort = unusedPort();
    CloudKitStandIn::Options options;
    options.callback = SignInCallback::callbackURL(callbackPort);
    const auto standIn = start(options);
    CloudSnapshotService publisher(store(*standIn));
    await(publisher.saveSnapshot(snapshotWithNights(1)));

    standIn->expireTokens();
    try {
        await(publisher.saveSnapshot(snapshotWithNights(2)));
        ADD_FAILURE() << "saved without a session";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::notAuthenticated);
        EXPECT_TRUE(
            error.localizedDescription().startsWith(QStringLiteral("Connectez-vous à iCloud")))
            << error.localizedDescription().toStdString();
    }

    QUrl opened;
    // Arguments of the exact parameter types: GCC 12 destroys twice a temporary that a
    // conversion makes for a coroutine's parameter.
    const std::function<void(const QUrl&)> openPage = [&](const QUrl& page) {
        opened = page;
        // The browser runs beside the app; here, once the page is open.
        QTimer::singleShot(0, [page] { browse(page); });
    };
    const std::shared_ptr<WebAuthTokens> signedInTokens = tokens;
    const QString accountName =
        await(signInToICloud(standIn->container(), signedInTokens, openPage, callbackPort, 20s));
    EXPECT_EQ(opened.host(), QStringLiteral("127.0.0.1"));
    // This user does not let the container discover their name.
    EXPECT_EQ(accountName, QString());
    EXPECT_EQ(signedInText(accountName), QStringLiteral("Connecté à iCloud."));
    await(publisher.saveSnapshot(snapshotWithNights(2)));
    EXPECT_EQ(
        fieldValue(standIn->record(name), "nightCount").value(QStringLiteral("value")).toInt(), 2);
}

TEST_F(CloudKitCloudStoreTest, TheSignInTellsWhoseAccountItOpened) {
    const quint16 callbackPort = unusedPort();
    CloudKitStandIn::Options options;
    options.callback = SignInCallback::callbackURL(callbackPort);
    options.givenName = QStringLiteral("Marie");
    options.familyName = QStringLiteral("Lefèvre");
    const auto standIn = start(options);
    const std::function<void(const QUrl&)> openPage = [](const QUrl& page) {
        QTimer::singleShot(0, [page] { browse(page); });
    };
    const std::shared_ptr<WebAuthTokens> signedInTokens = std::make_shared<MemoryWebAuthTokens>();
    const QString accountName =
        await(signInToICloud(standIn->container(), signedInTokens, openPage, callbackPort, 20s));
    EXPECT_EQ(accountName, QStringLiteral("Marie Lefèvre"));
    EXPECT_EQ(signedInText(accountName),
              QStringLiteral("Connecté au compte iCloud de Marie Lefèvre."));
    // Asked with the token the browser brought: the service named the account just signed in.
    EXPECT_EQ(standIn->requestPaths().filter(QStringLiteral("users/caller")).size(), 1)
        << standIn->requestPaths().join(u' ').toStdString();
    // The answer's token took the place of the used one; publishing goes on with it.
    CloudSnapshotService publisher(
        std::make_unique<CloudKitCloudStore>(standIn->container(), signedInTokens));
    await(publisher.saveSnapshot(snapshotWithNights(1)));
}

TEST_F(CloudKitCloudStoreTest, TheSettingsShowWhoseICloudTheNightsGoTo) {
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, SignInCallback::defaultPort)) {
            GTEST_SKIP() << "the sign-in port " << SignInCallback::defaultPort
                         << " is taken by another program";
        }
    }
    CloudKitStandIn::Options options;
    options.callback = SignInCallback::callbackURL(SignInCallback::defaultPort);
    options.givenName = QStringLiteral("Marie");
    options.familyName = QStringLiteral("Lefèvre");
    const auto standIn = start(options);
    const CloudKitContainer container = standIn->container();
    const auto defaults = std::make_shared<MemorySettings>();
    defaults->setValue(cloudsettings::iCloudContainerKey.toString(), container.identifier);
    defaults->setValue(cloudsettings::iCloudEnvironmentKey.toString(), container.environment);
    defaults->setValue(cloudsettings::iCloudAPITokenKey.toString(), container.apiToken);
    defaults->setValue(cloudsettings::iCloudServiceKey.toString(), container.serviceURL.toString());
    const auto signedIn = std::make_shared<MemoryWebAuthTokens>();
    CloudStoreChoice::Services services;
    services.settings = defaults;
    services.iCloudTokens = [signedIn](const CloudKitContainer&) { return signedIn; };
    services.openPage = [](const QUrl& page) { QTimer::singleShot(0, [page] { browse(page); }); };
    CloudStoreChoice choice(services);
    ASSERT_TRUE(choice.iCloudOffered());

    QCoro::waitFor(choice.runICloudSignIn());
    EXPECT_TRUE(choice.signedInToICloud());
    EXPECT_EQ(choice.iCloudAccountName(), QStringLiteral("Marie Lefèvre"));
    EXPECT_EQ(choice.outcome(), QStringLiteral("Connecté au compte iCloud de Marie Lefèvre."));
    EXPECT_FALSE(choice.outcomeIsFailure());
    // The name is kept with the settings; the token only where the tokens are kept.
    EXPECT_EQ(defaults->value(CloudStoreChoice::iCloudAccountNameKey).toString(),
              QStringLiteral("Marie Lefèvre"));
    EXPECT_FALSE(signedIn->current().isEmpty());

    choice.signOutOfICloud();
    EXPECT_FALSE(choice.signedInToICloud());
    EXPECT_EQ(choice.iCloudAccountName(), QString());
    EXPECT_FALSE(defaults->value(CloudStoreChoice::iCloudAccountNameKey).isValid());
}

TEST_F(CloudKitCloudStoreTest, ATokenInTheBodyOrNoNewTokenAtAllServesAsWell) {
    for (const bool rotate : {true, false}) {
        CloudKitStandIn::Options options;
        options.rotateTokens = rotate;
        options.tokenInHeader = false;
        const auto standIn = start(options);
        CloudSnapshotService publisher(store(*standIn));
        await(publisher.saveSnapshot(snapshotWithNights(1)));
        await(publisher.saveSnapshot(snapshotWithNights(2)));
        EXPECT_EQ(
            fieldValue(standIn->record(name), "nightCount").value(QStringLiteral("value")).toInt(),
            2)
            << rotate;
        EXPECT_EQ(tokens->replacements() > 0, rotate);
    }
}

} // namespace
} // namespace velunora
