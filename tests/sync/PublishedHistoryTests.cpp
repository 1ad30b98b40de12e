// A night once published is never lost or made worse: whatever the export, a second computer,
// a second sync, a failed write, a change of time zone or a reset in between does.
#include "cardimport/ResMedCardImporter.h"
#include "nights/SessionImport.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/SyncTestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"
#include "sync/cloud/webdav/WebDAVTestServer.h"
#include "tools/CardGenerator.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <qcoro/qcorotask.h>
#include <thread>
#include <utility>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int cardNights = 6;
constexpr int recentNights = 2;

// A card of six nights, and the same card as it is later: only its last two nights left (the
// device keeps a limited history, or a new card was put in).
struct Cards {
    testing::TemporaryFolder folder;
    fs::path full = folder.path() / "full";
    fs::path recent = folder.path() / "recent";

    Cards() {
        const testing::ScopedTimeZone paris("Europe/Paris");
        cardgen::CardGeneratorOptions options;
        options.nights = cardNights;
        options.seed = 7;
        // Across the change to summer time in New York (10 March).
        options.firstNight = cardgen::LocalDay{2024, 3, 6};
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

std::size_t nightsIn(const std::string& json) {
    return json.empty() ? 0 : decodeSnapshot(json).nights.size();
}

// One computer: its settings and its local export; the store may be shared with another one
// through a folder that a sync client carries (the local store's folder setting).
struct Computer {
    testing::TemporaryFolder home;
    std::shared_ptr<MemorySettings> defaults = std::make_shared<MemorySettings>();
    std::unique_ptr<SyncController> controller;
    fs::path storeRoot;

    explicit Computer(fs::path sharedStore, std::unique_ptr<CloudStore> store = nullptr,
                      QString lockFile = {}, std::optional<fs::path> dataFolder = {},
                      std::function<PAPCardImportRegistry()> makeRegistry = {})
        : storeRoot(std::move(sharedStore)) {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud = std::make_shared<CloudSnapshotService>(
            store ? std::move(store) : std::make_unique<LocalCloudStore>(storeRoot),
            std::move(lockFile));
        environment.localExport = LocalExport(dataFolder.value_or(home.path() / "share"));
        if (makeRegistry) {
            environment.makeRegistry = std::move(makeRegistry);
        }
        controller = std::make_unique<SyncController>(std::move(environment));
    }

    Status sync(const fs::path& card) {
        controller->adoptCardFolder(card);
        QCoro::waitFor(controller->sync());
        return controller->status();
    }
    fs::path exportFile() const { return controller->localExport().snapshotFile(); }
    std::string exported() const {
        return fs::exists(exportFile()) ? testing::readFile(exportFile()) : std::string();
    }
    std::string published() const {
        const fs::path payload =
            LocalCloudStore(storeRoot).assetFile(snapshotRecordName, QStringLiteral("payload"));
        return payload.empty() ? std::string() : testing::readFile(payload);
    }
};

class PublishedHistoryTest : public ::testing::Test {
protected:
    const testing::ScopedTimeZone zone{"Europe/Paris"};
    testing::TemporaryFolder shared;
    fs::path storeRoot = shared.path() / "store";
};

TEST_F(PublishedHistoryTest, ANewComputerOrALostExportKeepsWhatTheStoreHolds) {
    Computer first(storeRoot);
    ASSERT_EQ(first.sync(cards().full), Status::success(cardNights));

    fs::remove(first.exportFile());
    EXPECT_EQ(first.sync(cards().recent), Status::success(cardNights)) << "export deleted";
    EXPECT_EQ(nightsIn(first.published()), std::size_t{cardNights});
    EXPECT_EQ(first.exported(), first.published());

    fs::resize_file(first.exportFile(), fs::file_size(first.exportFile()) - 1);
    EXPECT_EQ(first.sync(cards().recent), Status::success(cardNights)) << "export cut short";
    EXPECT_EQ(first.exported(), first.published());

    Computer second(storeRoot);
    EXPECT_EQ(second.sync(cards().recent), Status::success(cardNights)) << "second computer";
    EXPECT_EQ(second.exported(), second.published());
}

TEST_F(PublishedHistoryTest, AnExportThatFailedNeverTakesTheStoreBackwards) {
    Computer computer(storeRoot);
    ASSERT_EQ(computer.sync(cards().recent), Status::success(recentNights));
    const std::string olderExport = computer.exported();

    // A folder where the export file belongs: the write fails after the store was saved.
    fs::remove(computer.exportFile());
    fs::create_directory(computer.exportFile());
    EXPECT_EQ(computer.sync(cards().full).kind(), Status::Kind::failed);
    EXPECT_EQ(nightsIn(computer.published()), std::size_t{cardNights});

    fs::remove(computer.exportFile());
    std::ofstream(computer.exportFile()) << olderExport;
    EXPECT_EQ(computer.sync(cards().recent), Status::success(cardNights));
    EXPECT_EQ(nightsIn(computer.published()), std::size_t{cardNights});
}

// Writes `text` (8 characters) into the header of every summary file of the card's night
// `night`, at the offset `where` gives for each signal (or once, for a fixed field).
void damageSummaryHeaders(const fs::path& card, std::size_t night,
                          const std::function<std::vector<long>(int signals)>& where,
                          const char* text) {
    std::vector<fs::path> days;
    for (const auto& entry : fs::directory_iterator(card / "DATALOG")) {
        days.push_back(entry.path());
    }
    std::sort(days.begin(), days.end());
    for (const auto& entry : fs::directory_iterator(days.at(night))) {
        if (entry.path().string().ends_with("_PLD.edf")) {
            std::fstream file(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
            char count[5] = {};
            file.seekg(252).read(count, 4);
            for (const long offset : where(std::atoi(count))) {
                file.seekp(offset).write(text, 8);
            }
        }
    }
}

std::vector<long> physicalMaxima(int signals) {
    std::vector<long> offsets;
    for (int signal = 0; signal < signals; ++signal) {
        offsets.push_back(256 + 112 * signals + 8 * signal);
    }
    return offsets;
}

TEST_F(PublishedHistoryTest, NumbersFromDamagedHeadersNeverBlockOrDropTheHistory) {
    testing::TemporaryFolder copy;
    const fs::path card = copy.path() / "card";
    fs::copy(cards().full, card, fs::copy_options::recursive);
    // Statistics that become whole numbers beyond 2^64 must still read back at the next sync.
    damageSummaryHeaders(card, 0, physicalMaxima, "2.5e20  ");
    // Limits that make samples infinite, and a recording said to last 1e300 seconds, are damage:
    // never a value that no document can hold.
    damageSummaryHeaders(card, 1, physicalMaxima, "inf     ");
    damageSummaryHeaders(
        card, 2, [](int) { return std::vector<long>{244}; }, "1e300   ");

    Computer computer(storeRoot);
    ASSERT_EQ(computer.sync(card), Status::success(cardNights));
    EXPECT_EQ(computer.sync(cards().recent), Status::success(cardNights));
}

TEST_F(PublishedHistoryTest, AnUnchangedExportSparesTheDownloadAndAChangedOneIsNotTrusted) {
    auto cloud = std::make_shared<testing::RecordingCloudStore::Shared>();
    Computer computer(storeRoot, std::make_unique<testing::RecordingCloudStore>(cloud));
    ASSERT_EQ(computer.sync(cards().full), Status::success(cardNights));
    ASSERT_EQ(computer.sync(cards().recent), Status::success(cardNights));
    EXPECT_EQ(cloud->downloads, 0) << "the export holds the payload of our last save";

    // Same size, other content: a hand-edited or damaged export is not taken for the payload.
    std::string tampered = computer.exported();
    char& digit = tampered.at(tampered.find("\"ahi\":") + 6);
    digit = digit == '9' ? '8' : '9';
    std::ofstream(computer.exportFile(), std::ios::trunc) << tampered;
    EXPECT_EQ(computer.sync(cards().recent), Status::success(cardNights));
    EXPECT_EQ(cloud->downloads, 1);
    EXPECT_EQ(computer.exported(), cloud->payloads.begin()->second);
}

// The ResMed import of the card, with a hook that runs once the headers are read: the moment a
// user pulls the card out, made deterministic.
class PulledCardImporter final : public PAPCardImporter {
public:
    explicit PulledCardImporter(std::function<void()> pull)
        : pull_(std::move(pull)) {}
    std::optional<DetectedPAPCard> detect(const fs::path& root) const override {
        return ResMedCardImporter().detect(root);
    }
    OscarSnapshot importCard(const DetectedPAPCard& card) const override {
        bool pulled = false;
        return importResMedCard(card, Date{0}, [&](double) {
            if (!std::exchange(pulled, true)) {
                pull_();
            }
        });
    }

private:
    std::function<void()> pull_;
};

TEST_F(PublishedHistoryTest, ACardPulledOutFailsTheSyncAndChangesNothing) {
    Computer earlier(storeRoot);
    ASSERT_EQ(earlier.sync(cards().full), Status::success(cardNights));
    const std::string before = earlier.published();

    testing::TemporaryFolder copy;
    const fs::path card = copy.path() / "card";
    fs::copy(cards().full, card, fs::copy_options::recursive);
    Computer computer(storeRoot, nullptr, {}, earlier.home.path() / "share", [&card] {
        return PAPCardImportRegistry(
            {std::make_shared<PulledCardImporter>([&card] { fs::remove_all(card / "DATALOG"); })});
    });
    computer.controller->adoptCardFolder(card);
    QCoro::waitFor(computer.controller->sync());

    const Status& status = computer.controller->status();
    ASSERT_EQ(status.kind(), Status::Kind::failed);
    EXPECT_TRUE(status.failureText().startsWith(
        QStringLiteral("La carte SD n’a pas pu être lue : la carte a été retirée")))
        << status.failureText().toStdString();
    EXPECT_EQ(computer.published(), before);
    EXPECT_EQ(computer.exported(), before);
}

TEST_F(PublishedHistoryTest, TwoComputersSyncingAtOnceBothSucceedWithEveryNight) {
    // Two devices, two cards, one store: whichever order the saves take, the one that finds the
    // store changed merges with it and saves again.
    testing::TemporaryFolder otherCards;
    cardgen::CardGeneratorOptions options;
    options.nights = 4;
    options.seed = 99;
    options.firstNight = cardgen::LocalDay{2024, 5, 1};
    cardgen::generateCard(otherCards.path() / "card", options);

    for (int round = 0; round < 4; ++round) {
        const fs::path root = shared.path() / ("race" + std::to_string(round));
        Computer first(root);
        Computer second(root);
        first.controller->adoptCardFolder(cards().recent);
        second.controller->adoptCardFolder(otherCards.path() / "card");
        auto one = first.controller->sync();
        auto two = second.controller->sync();
        QCoro::waitFor(std::move(one));
        QCoro::waitFor(std::move(two));

        EXPECT_EQ(first.controller->status().kind(), Status::Kind::success) << "round " << round;
        EXPECT_EQ(second.controller->status().kind(), Status::Kind::success) << "round " << round;
        EXPECT_EQ(nightsIn(first.published()), std::size_t{recentNights + 4}) << "round " << round;
    }
}

TEST_F(PublishedHistoryTest, TheSameCardReadInAnotherTimeZoneIsTheSameNights) {
    Computer computer(storeRoot);
    ASSERT_EQ(computer.sync(cards().full), Status::success(cardNights));
    {
        const testing::ScopedTimeZone travel("America/New_York");
        EXPECT_EQ(computer.sync(cards().full), Status::success(cardNights));
        EXPECT_EQ(computer.sync(cards().recent), Status::success(cardNights));
    }
    const testing::ScopedTimeZone farther("Asia/Tokyo");
    EXPECT_EQ(computer.sync(cards().full), Status::success(cardNights));
}

TEST_F(PublishedHistoryTest, AResetQueuedBehindASaveEndsWithNothingPublished) {
    // The app's sync and the command-line reset, two processes of one user: the reset asks
    // right after the store was saved, while the export is still to be written.
    const QString lockFile = QString::fromStdString((shared.path() / "publication.lock").string());
    const fs::path userData = shared.path() / "share";
    Computer resetting(storeRoot, nullptr, lockFile, userData);

    struct SlowAfterSave final : CloudStore {
        LocalCloudStore store;
        std::function<void()> afterSave;
        explicit SlowAfterSave(fs::path root)
            : store(std::move(root)) {}
        std::optional<QString> fetchChangeTag() override { return store.fetchChangeTag(); }
        QByteArray fetchPayload() override { return store.fetchPayload(); }
        QString save(const SnapshotUpload& snapshot, const QString& replacing) override {
            QString tag = store.save(snapshot, replacing);
            afterSave();
            return tag;
        }
        void remove() override { store.remove(); }
    };
    auto store = std::make_unique<SlowAfterSave>(storeRoot);
    store->afterSave = [&resetting] {
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [&resetting] { resetting.controller->reset(); });
        std::this_thread::sleep_for(300ms);
    };
    Computer syncing(storeRoot, std::move(store), lockFile, userData);
    ASSERT_EQ(syncing.sync(cards().recent), Status::success(recentNights));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return resetting.controller->status() == Status::resetComplete(); }, 10000))
        << resetting.controller->status().failureText().toStdString();
    EXPECT_TRUE(syncing.published().empty());
    EXPECT_FALSE(fs::exists(syncing.exportFile())) << "the export came back after the reset";
}

TEST_F(PublishedHistoryTest, ASyncClearsWhatAKilledOneLeftBehind) {
    // What a sync killed while saving leaves: its payload file in the temporary folder and the
    // side file of the export it was writing, full copies of the user's nights.
    Computer computer(storeRoot);
    const fs::path temporary = computer.home.makeFolder("tmp");
    const testing::ScopedSystemTemporaryFolder systemTemporary(temporary);
    const fs::path killedPayload = temporary / "lunexa-0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0.json";
    const fs::path runningPayload = temporary / "lunexa-00000000-1111-2222-3333-444444444444.json";
    const fs::path otherFile = temporary / "lunexa-notes.json";
    for (const fs::path& file : {killedPayload, runningPayload, otherFile}) {
        std::ofstream(file) << "{}";
    }
    const auto anHourAgo = fs::file_time_type::clock::now() - 1h;
    fs::last_write_time(killedPayload, anHourAgo);
    fs::last_write_time(otherFile, anHourAgo);
    const fs::path sideFile = computer.exportFile().parent_path() / ".lunexa-snapshot.json.a1B2c3";
    fs::create_directories(sideFile.parent_path());
    std::ofstream(sideFile) << "{}";

    ASSERT_EQ(computer.sync(cards().recent), Status::success(recentNights));
    EXPECT_FALSE(fs::exists(killedPayload));
    EXPECT_FALSE(fs::exists(sideFile));
    EXPECT_TRUE(fs::exists(runningPayload)) << "a recent one may be another save's, running";
    EXPECT_TRUE(fs::exists(otherFile)) << "not one of ours";
}

TEST(PreferencesTest, BoolPreferencesSurviveARestart) {
    testing::TemporaryFolder configuration;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(configuration.path().string()));
    {
        SettingsFile settings;
        settings.setValue(SyncController::automaticCardImportKey, false);
        settings.setValue(QStringLiteral("velunora-sync-onboarding-completed"), true);
    }
    const auto restarted = std::make_shared<SettingsFile>();
    EXPECT_EQ(restarted->boolValue(QStringLiteral("velunora-sync-onboarding-completed")), true);
    SyncEnvironment environment;
    environment.settings = restarted;
    EXPECT_FALSE(SyncController(std::move(environment)).automaticCardImport());
}

// The settings window moves publication to a WebDAV server: the connection test tells a refused
// password from a working account, and the first sync into the server keeps every night
// published before, although the server held none and the card has only its last nights.
TEST_F(PublishedHistoryTest, ChangingTheStoreKeepsTheHistory) {
    if (!testing::WebDAVTestServer::available()) {
        GTEST_SKIP() << "Apache httpd with mod_dav is not installed";
    }
    testing::WebDAVTestServer server(QStringLiteral("camille"), QStringLiteral("nuit-calme"));
    // The keyring of this computer, in memory.
    auto keyring = std::make_shared<std::map<QString, QString>>();
    const auto passwordOf = [keyring](const WebDAVAccount& account) {
        return (*keyring)[account.baseUrl.toString() + account.user];
    };

    testing::TemporaryFolder home;
    auto defaults = std::make_shared<MemorySettings>();
    defaults->setValue(cloudsettings::folderKey.toString(),
                       QString::fromStdString(storeRoot.string()));
    SyncEnvironment environment;
    environment.settings = defaults;
    environment.cloud =
        std::make_shared<CloudSnapshotService>(std::make_unique<LocalCloudStore>(storeRoot));
    environment.localExport = LocalExport(home.path() / "share");
    environment.storeChoice.keepWebDAVPassword = [keyring](const WebDAVAccount& account,
                                                           const QString& password) {
        (*keyring)[account.baseUrl.toString() + account.user] = password;
    };
    environment.storeChoice.makeStore =
        [passwordOf](const Settings& settings) -> std::unique_ptr<CloudStore> {
        if (settings.value(cloudsettings::storeKey.toString()).toString() ==
            cloudsettings::webDAVStore) {
            WebDAVAccount account{
                QUrl(settings.value(cloudsettings::webDAVURLKey.toString()).toString()),
                settings.value(cloudsettings::webDAVUserKey.toString()).toString()};
            const QString password = passwordOf(account);
            return std::make_unique<WebDAVCloudStore>(account, [password] { return password; });
        }
        return makeConfiguredCloudStore(settings);
    };
    // The card is a folder chosen by hand, which the volume scan of automatic import drops on
    // its next tick: a slow run (sanitised, the machine loaded) would see it vanish midway.
    defaults->setValue(SyncController::automaticCardImportKey, false);
    SyncController controller(std::move(environment));
    CloudStoreChoice& choice = *controller.storeChoice();
    const auto sync = [&controller](const fs::path& card) {
        controller.adoptCardFolder(card);
        QCoro::waitFor(controller.sync());
        return controller.status();
    };
    ASSERT_EQ(sync(cards().full), Status::success(cardNights));
    EXPECT_EQ(choice.kind(), QStringLiteral("local"));

    const QString address = server.collectionUrl().toString();
    QCoro::waitFor(choice.runConnectionTest(address, server.user(), QStringLiteral("oubli")));
    EXPECT_TRUE(choice.outcomeIsFailure()) << choice.outcome().toStdString();
    EXPECT_TRUE(choice.outcome().contains(QStringLiteral("refusé")))
        << choice.outcome().toStdString();
    QCoro::waitFor(choice.runConnectionTest(address, server.user(), server.password()));
    EXPECT_FALSE(choice.outcomeIsFailure()) << choice.outcome().toStdString();
    EXPECT_TRUE(choice.outcome().contains(QStringLiteral("Aucune nuit")))
        << choice.outcome().toStdString();
    // An address that would carry the password in clear is refused before anything is kept.
    QCoro::waitFor(choice.applyWebDAVStore(QStringLiteral("http://cloud.example.org/dav"),
                                           server.user(), server.password()));
    EXPECT_TRUE(choice.outcomeIsFailure());
    EXPECT_EQ(choice.kind(), QStringLiteral("local"));
    EXPECT_TRUE(keyring->empty());

    // Another computer already publishes three nights of another card to that server.
    testing::TemporaryFolder otherCard;
    {
        cardgen::CardGeneratorOptions options;
        options.nights = 3;
        options.seed = 11;
        options.firstNight = cardgen::LocalDay{2024, 5, 1};
        cardgen::generateCard(otherCard.path(), options);
    }
    Computer other(
        shared.path() / "unused",
        std::make_unique<WebDAVCloudStore>(WebDAVAccount{server.collectionUrl(), server.user()},
                                           [&server] { return server.password(); }));
    ASSERT_EQ(other.sync(otherCard.path()), Status::success(3));

    // The card in the reader now holds only its last two nights; the change of store publishes
    // it at once, with the server's nights and every night this computer published before.
    controller.adoptCardFolder(cards().recent);
    QCoro::waitFor(choice.applyWebDAVStore(address, server.user(), server.password()));
    ASSERT_EQ(choice.kind(), QStringLiteral("webdav")) << choice.outcome().toStdString();
    for (int waited = 0; waited < 300 && controller.status().kind() != Status::Kind::success &&
                         controller.status().kind() != Status::Kind::failed;
         ++waited) {
        QTest::qWait(100);
    }
    EXPECT_EQ(controller.status(), Status::success(cardNights + 3));
    WebDAVCloudStore onServer(WebDAVAccount{server.collectionUrl(), server.user()},
                              [&server] { return server.password(); });
    const QByteArray payload = onServer.fetchAsset(snapshotRecordName, QStringLiteral("payload"));
    EXPECT_EQ(nightsIn(payload.toStdString()), std::size_t{cardNights + 3});
    EXPECT_FALSE(defaults->boolValue(CloudStoreChoice::storeChangedKey).value_or(false));
    EXPECT_EQ(sync(cards().recent), Status::success(cardNights + 3)) << "the next sync";

    // And back to the folder, which keeps its six nights and gains the server's.
    choice.useLocalStore(QString::fromStdString(storeRoot.string()));
    for (int waited = 0; waited < 300 && (choice.kind() != QStringLiteral("local") ||
                                          controller.status().kind() == Status::Kind::syncing);
         ++waited) {
        QTest::qWait(100);
    }
    EXPECT_EQ(controller.status(), Status::success(cardNights + 3));
}
} // namespace
} // namespace velunora
