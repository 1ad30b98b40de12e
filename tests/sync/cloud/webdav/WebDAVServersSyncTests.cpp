// Whole syncs against each real WebDAV server: Apache's mod_dav, which keeps dead properties and
// honours conditional writes, and rclone's, which does neither.
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/SyncTestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"
#include "sync/cloud/webdav/WebDAVTestServer.h"
#include "tools/CardGenerator.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>
#include <qcoro/qcorotask.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::WebDAVTestServer;

constexpr int cardNights = 5;
constexpr int recentNights = 2;

// A card of five nights, and the same card with only its last two.
struct Cards {
    testing::TemporaryFolder folder;
    fs::path full = folder.path() / "full";
    fs::path recent = folder.path() / "recent";

    Cards() {
        cardgen::CardGeneratorOptions options;
        options.nights = cardNights;
        options.seed = 23;
        options.firstNight = cardgen::LocalDay{2024, 9, 2};
        cardgen::generateCard(full, options);
        fs::copy(full, recent, fs::copy_options::recursive);
        std::vector<fs::path> days;
        for (const auto& entry : fs::directory_iterator(recent / "DATALOG")) {
            days.push_back(entry.path());
        }
        std::sort(days.begin(), days.end());
        for (std::size_t day = 0; day + recentNights < days.size(); ++day) {
            fs::remove_all(days[day]);
        }
    }
};

const Cards& cards() {
    static const Cards generated;
    return generated;
}

// One computer publishing to the server with the password it was given.
struct Computer {
    testing::TemporaryFolder home;
    std::unique_ptr<SyncController> controller;

    Computer(const WebDAVTestServer& server, QString password) {
        SyncEnvironment environment;
        auto defaults = std::make_shared<MemorySettings>();
        // The card is a folder chosen by hand, never one the volume scan finds.
        defaults->setValue(SyncController::automaticCardImportKey, false);
        environment.settings = defaults;
        environment.cloud = std::make_shared<CloudSnapshotService>(
            std::make_unique<WebDAVCloudStore>(
                WebDAVAccount{server.collectionUrl(), server.user()},
                [password] { return password; }, WebDAVCloudStore::Timing{5s, 3s}),
            QString::fromStdString((home.path() / "publication.lock").string()));
        environment.localExport = LocalExport(home.path() / "share");
        controller = std::make_unique<SyncController>(std::move(environment));
    }

    Status sync(const fs::path& card) {
        controller->adoptCardFolder(card);
        QCoro::waitFor(controller->sync());
        return controller->status();
    }
};

class WebDAVServersSyncTest : public ::testing::TestWithParam<WebDAVTestServer::Kind> {};

TEST_P(WebDAVServersSyncTest, SyncsMergeAcrossComputersAndAResetEmptiesTheServer) {
    if (!WebDAVTestServer::available(GetParam())) {
        GTEST_SKIP() << WebDAVTestServer::packageOf(GetParam()) << " is not installed";
    }
    const testing::ScopedTimeZone paris("Europe/Paris");
    WebDAVTestServer server(QStringLiteral("camille"), QStringLiteral("nuit-calme"), GetParam());
    const QString resource = snapshotRecordName + QStringLiteral(".json");
    const auto published = [&] {
        const QByteArray payload = server.get(resource);
        return payload.isEmpty() ? std::size_t{0}
                                 : decodeSnapshot(payload.toStdString()).nights.size();
    };

    Computer first(server, server.password());
    ASSERT_EQ(first.sync(cards().recent), Status::success(recentNights)) << "first sync";
    EXPECT_EQ(published(), std::size_t{recentNights});
    ASSERT_EQ(first.sync(cards().full), Status::success(cardNights)) << "more nights";
    EXPECT_EQ(published(), std::size_t{cardNights});

    // The settings' connection test counts the nights, from the properties or from the document
    // itself, and says when the server would let one computer overwrite another's.
    CloudStoreChoice& choice = *first.controller->storeChoice();
    QCoro::waitFor(choice.runConnectionTest(server.collectionUrl().toString(), server.user(),
                                            server.password()));
    EXPECT_FALSE(choice.outcomeIsFailure());
    EXPECT_TRUE(
        choice.outcome().contains(QStringLiteral("%1 nuits y sont publiées").arg(cardNights)))
        << choice.outcome().toStdString();
    EXPECT_EQ(choice.outcome().contains(QStringLiteral("ne respecte pas les envois conditionnels")),
              GetParam() == WebDAVTestServer::Kind::rclone)
        << choice.outcome().toStdString();

    Computer second(server, server.password());
    EXPECT_EQ(second.sync(cards().recent), Status::success(cardNights))
        << "a second computer keeps what the server holds";
    EXPECT_EQ(first.sync(cards().recent), Status::success(cardNights)) << "and back to the first";
    EXPECT_EQ(published(), std::size_t{cardNights});
    EXPECT_EQ(server.resourceNames(), QStringList{resource}) << "nothing else left behind";

    Computer refused(server, QStringLiteral("oubli"));
    const Status failed = refused.sync(cards().full);
    EXPECT_EQ(failed.kind(), Status::Kind::failed);
    EXPECT_TRUE(failed.failureText().contains(QStringLiteral("refusé")))
        << failed.failureText().toStdString();
    EXPECT_EQ(published(), std::size_t{cardNights}) << "a refused password changed nothing";

    QCoro::waitFor(first.controller->reset());
    EXPECT_EQ(first.controller->status(), Status::resetComplete())
        << first.controller->status().failureText().toStdString();
    int status = 0;
    server.get(resource, &status);
    EXPECT_EQ(status, 404) << "the reset left the published nights";
    EXPECT_EQ(first.sync(cards().recent), Status::success(recentNights))
        << "after the reset, only what the card holds";
}

INSTANTIATE_TEST_SUITE_P(Servers, WebDAVServersSyncTest,
                         ::testing::Values(WebDAVTestServer::Kind::apache,
                                           WebDAVTestServer::Kind::rclone),
                         [](const auto& server) {
                             return server.param == WebDAVTestServer::Kind::apache
                                        ? std::string("Apache")
                                        : std::string("Rclone");
                         });

} // namespace
} // namespace velunora
