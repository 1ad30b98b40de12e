#include "cardimport/PAPCardImportError.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/SyncTestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStore.h"
#include "tools/CardGenerator.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <qcoro/qcorotask.h>
#include <sys/stat.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using testing::demoCard;
using testing::RecordingCloudStore;
using testing::ScriptedConfirmation;

void runUntilDone(QCoro::Task<> task) {
    QCoro::waitFor(std::move(task));
}

class SyncControllerTest : public ::testing::Test {
protected:
    testing::TemporaryFolder data;
    // The system's temporary folder, where a sync must leave nothing.
    const testing::ScopedSystemTemporaryFolder systemTemporary{data.makeFolder("tmp")};
    std::shared_ptr<RecordingCloudStore::Shared> cloud =
        std::make_shared<RecordingCloudStore::Shared>();
    std::shared_ptr<MemorySettings> defaults = std::make_shared<MemorySettings>();
    std::shared_ptr<ScriptedConfirmation> confirmation = std::make_shared<ScriptedConfirmation>();

    SyncEnvironment environment(const fs::path& dataFolder) {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud =
            std::make_shared<CloudSnapshotService>(std::make_unique<RecordingCloudStore>(cloud));
        environment.localExport = LocalExport(dataFolder);
        environment.resetConfirmation = confirmation;
        // The imports keep what they learn, as the app's do.
        environment.importCacheFolder = data.path() / "cache" / "velunora-sync";
        environment.makeRegistry = [folder = environment.importCacheFolder] {
            return PAPCardImportRegistry::standard(folder);
        };
        return environment;
    }

    std::unique_ptr<SyncController> controller(const fs::path& dataFolder) {
        return std::make_unique<SyncController>(environment(dataFolder));
    }
    std::unique_ptr<SyncController> controller() { return controller(data.path() / "share"); }

    std::string cloudPayload() {
        std::lock_guard lock(cloud->mutex);
        const auto found = cloud->payloads.find(QStringLiteral("current-oscar-snapshot"));
        return found == cloud->payloads.end() ? std::string() : found->second;
    }

    bool noTemporaryPayloadLeft() { return fs::is_empty(data.path() / "tmp"); }
};

TEST_F(SyncControllerTest, StartsWaitingForACard) {
    const auto sync = controller();
    EXPECT_EQ(sync->status(), Status::needsFolder());
    EXPECT_EQ(sync->status().title(), QStringLiteral("En attente d\u2019une carte SD"));
    EXPECT_FALSE(sync->hasDetectedCard());
    EXPECT_FALSE(sync->cardNeedsAccess());
    EXPECT_FALSE(sync->lastSync().isValid());
    EXPECT_TRUE(sync->automaticCardImport());
    EXPECT_FALSE(sync->launchAtLogin());
}

TEST_F(SyncControllerTest, AutomaticImportPreferenceReadsOnlyABool) {
    defaults->setValue(SyncController::automaticCardImportKey, false);
    EXPECT_FALSE(controller()->automaticCardImport());
    defaults->setValue(SyncController::automaticCardImportKey, 0);
    EXPECT_TRUE(controller()->automaticCardImport()) << "anything but a Bool reads as on";
    defaults->setValue(SyncController::automaticCardImportKey, QStringLiteral("non"));
    EXPECT_TRUE(controller()->automaticCardImport());
}

TEST_F(SyncControllerTest, StatusNotifiesOnlyOnChange) {
    const auto sync = controller();
    QSignalSpy spy(sync.get(), &SyncController::statusChanged);
    sync->setStatus(Status::failed(QStringLiteral("x")));
    sync->setStatus(Status::failed(QStringLiteral("x")));
    EXPECT_EQ(spy.count(), 1);
    sync->setStatus(Status::failed(QStringLiteral("y")));
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(SyncControllerTest, SyncRefusesWithoutACardOrWhileRunning) {
    const auto sync = controller();
    sync->setStatus(Status::resetComplete());
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::needsFolder());

    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    EXPECT_EQ(sync->status(), Status::cardReady(QStringLiteral("ResMed AirSense 10 AutoSet")));
    sync->setStatus(Status::syncing());
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::syncing()) << "a run under way is not disturbed";
    EXPECT_EQ(cloud->saves, 0);
}

TEST_F(SyncControllerTest, TwoQuickRequestsStartOneRun) {
    const auto sync = controller();
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    auto first = sync->sync();
    EXPECT_EQ(sync->status(), Status::syncing()) << "the import runs off the main thread";
    auto second = sync->sync();
    QCoro::waitFor(std::move(second));
    QCoro::waitFor(std::move(first));
    EXPECT_EQ(sync->status(), Status::success(2));
    EXPECT_EQ(cloud->saves, 1);
}

TEST_F(SyncControllerTest, ASuccessfulSyncPublishesTheSameBytesInBothPlaces) {
    const auto sync = controller();
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    QSignalSpy lastSyncSpy(sync.get(), &SyncController::lastSyncChanged);
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::success(2));
    EXPECT_EQ(sync->status().title(), QStringLiteral("2 nuits synchronis\u00e9es"));
    EXPECT_TRUE(sync->lastSync().isValid());
    EXPECT_EQ(lastSyncSpy.count(), 1);
    const std::string exported = testing::readFile(sync->localExport().snapshotFile());
    EXPECT_EQ(cloudPayload(), exported);
    EXPECT_EQ(decodeSnapshot(exported).nights.size(), 2u);
    EXPECT_TRUE(noTemporaryPayloadLeft());
}

TEST_F(SyncControllerTest, NightsNoLongerOnTheCardStayPublished) {
    const auto sync = controller();
    // An earlier export (under the legacy name) holds an older night the card no longer has.
    OscarSnapshot earlier;
    NightSummary old;
    old.date = Date{1600000000};
    old.ahi = 7;
    earlier.nights = {old};
    data.write("share/LunexaSync/oscar-snapshot.json", makeSnapshotEncoder().encode(earlier));
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::success(3)) << "the count is of the merged snapshot";
    EXPECT_FALSE(fs::exists(sync->localExport().legacySnapshotFile()));
    const OscarSnapshot published =
        decodeSnapshot(testing::readFile(sync->localExport().snapshotFile()));
    ASSERT_EQ(published.nights.size(), 3u);
    EXPECT_EQ(published.nights[0].ahi, 7);
}

TEST_F(SyncControllerTest, AnUnreadablePreviousExportIsIgnored) {
    const auto sync = controller();
    data.write("share/LunexaSync/lunexa-snapshot.json", "not json at all");
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::success(2));
    EXPECT_TRUE(sync->lastSync().isValid());
}

TEST_F(SyncControllerTest, AnImportFailureChangesNothingPublished) {
    testing::TemporaryFolder emptyCard;
    emptyCard.makeFolder("DATALOG");
    emptyCard.write("STR.edf", "");
    const auto sync = controller();
    data.write("share/LunexaSync/lunexa-snapshot.json", "previous");
    ASSERT_TRUE(sync->adoptCardFolder(emptyCard.path()));
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(),
              Status::failed(QStringLiteral("Aucune session d\u00e9taill\u00e9e n\u2019a "
                                            "\u00e9t\u00e9 trouv\u00e9e sur cette carte SD.")));
    EXPECT_EQ(sync->status().title(), QStringLiteral("\u00c9chec de la synchronisation"));
    EXPECT_EQ(cloud->saves, 0);
    EXPECT_EQ(testing::readFile(sync->localExport().snapshotFile()), "previous");
    EXPECT_FALSE(sync->lastSync().isValid());
}

TEST_F(SyncControllerTest, ACloudFailureLeavesTheLocalExportUntouched) {
    const auto sync = controller();
    data.write("share/LunexaSync/lunexa-snapshot.json", "previous");
    cloud->failFetchWith = cloudcode::networkFailure;
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::failed(QStringLiteral("R\u00e9seau indisponible.")));
    EXPECT_EQ(testing::readFile(sync->localExport().snapshotFile()), "previous");
    EXPECT_FALSE(sync->lastSync().isValid());
    EXPECT_TRUE(noTemporaryPayloadLeft());

    cloud->failFetchWith = 0;
    cloud->failSaveWith = cloudcode::quotaExceeded;
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::failed(QStringLiteral("Quota d\u00e9pass\u00e9.")));
    EXPECT_EQ(testing::readFile(sync->localExport().snapshotFile()), "previous");
    EXPECT_TRUE(noTemporaryPayloadLeft());
}

TEST_F(SyncControllerTest, AnExportFailureAfterTheCloudSaveIsReported) {
    data.write("blocked/LunexaSync", "a file where the folder should be");
    const auto sync = controller(data.path() / "blocked");
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status().kind(), Status::Kind::failed);
    EXPECT_FALSE(sync->status().failureText().isEmpty());
    EXPECT_EQ(cloud->saves, 1) << "the cloud record was replaced already";
    EXPECT_FALSE(sync->lastSync().isValid());
}

TEST_F(SyncControllerTest, ASyncNeverWritesTheCard) {
    std::map<fs::path, std::pair<std::string, fs::file_time_type>> before;
    for (const auto& entry : fs::recursive_directory_iterator(demoCard())) {
        if (entry.is_regular_file()) {
            before[entry.path()] = {testing::readFile(entry.path()), entry.last_write_time()};
        }
    }
    const auto sync = controller();
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    ASSERT_EQ(sync->status(), Status::success(2));
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(demoCard())) {
        if (entry.is_regular_file()) {
            ++files;
            ASSERT_TRUE(before.contains(entry.path())) << entry.path();
            EXPECT_EQ(before[entry.path()].first, testing::readFile(entry.path()));
            EXPECT_EQ(before[entry.path()].second, entry.last_write_time());
        }
    }
    EXPECT_EQ(files, before.size());
}

TEST_F(SyncControllerTest, ResetErasesCloudAndExportButNotPreferences) {
    const auto sync = controller();
    ASSERT_TRUE(sync->adoptCardFolder(demoCard()));
    runUntilDone(sync->sync());
    defaults->setValue(legacyFolderLocationKey, QByteArray("old"));
    defaults->setValue(CardAccess::savedCardFolderKey, QByteArray("card"));
    data.write("share/LunexaSync/oscar-snapshot.json", "{}");
    const fs::path caches = data.path() / "cache" / "velunora-sync";
    ASSERT_FALSE(fs::is_empty(caches)) << "the import kept nothing of the card";
    data.write("cache/velunora-sync/notes.txt", "not ours");

    runUntilDone(sync->reset());
    // What the import kept of the card holds its nights: it goes too, and only it.
    EXPECT_EQ(std::distance(fs::directory_iterator(caches), {}), 1);
    EXPECT_TRUE(fs::exists(caches / "notes.txt"));
    EXPECT_EQ(sync->status(), Status::resetComplete());
    EXPECT_TRUE(cloudPayload().empty());
    EXPECT_FALSE(fs::exists(sync->localExport().snapshotFile()));
    EXPECT_FALSE(fs::exists(sync->localExport().legacySnapshotFile()));
    EXPECT_TRUE(fs::is_directory(sync->localExport().exportFolder()));
    EXPECT_FALSE(defaults->value(legacyFolderLocationKey).isValid());
    EXPECT_TRUE(defaults->value(CardAccess::savedCardFolderKey).isValid());
    EXPECT_FALSE(sync->lastSync().isValid());
    EXPECT_TRUE(sync->hasDetectedCard());

    runUntilDone(sync->reset());
    EXPECT_EQ(sync->status(), Status::resetComplete()) << "nothing left to erase is no error";

    // The next sync publishes the card's nights only.
    runUntilDone(sync->sync());
    EXPECT_EQ(sync->status(), Status::success(2));
}

TEST_F(SyncControllerTest, ResetRefusesWhileBusyAndReportsFailures) {
    const auto sync = controller();
    sync->setStatus(Status::syncing());
    runUntilDone(sync->reset());
    EXPECT_EQ(sync->status(), Status::syncing());
    sync->setStatus(Status::resetting());
    runUntilDone(sync->reset());
    EXPECT_EQ(sync->status(), Status::resetting());

    sync->setStatus(Status::needsFolder());
    data.write("share/LunexaSync/lunexa-snapshot.json", "kept");
    cloud->failDeleteWith = cloudcode::networkFailure;
    runUntilDone(sync->reset());
    EXPECT_EQ(sync->status(), Status::failed(QStringLiteral(
                                  "Remise \u00e0 z\u00e9ro impossible : Connexion perdue.")));
    EXPECT_EQ(sync->status().title(), QStringLiteral("\u00c9chec de la synchronisation"));
    EXPECT_TRUE(fs::exists(sync->localExport().snapshotFile())) << "files untouched";

    cloud->failDeleteWith = 0;
    fs::remove(sync->localExport().snapshotFile());
    fs::create_directories(sync->localExport().snapshotFile() / "occupied");
    runUntilDone(sync->reset());
    EXPECT_EQ(sync->status().kind(), Status::Kind::failed);
    EXPECT_TRUE(sync->status().failureText().startsWith(
        QStringLiteral("Remise \u00e0 z\u00e9ro impossible : ")));
}

TEST_F(SyncControllerTest, ConfirmResetAsksEveryTimeAndErasesOnlyOnConfirmation) {
    const auto sync = controller();
    data.write("share/LunexaSync/lunexa-snapshot.json", "kept");
    confirmation->answer = false;
    sync->confirmReset();
    EXPECT_EQ(confirmation->asked, 1);
    EXPECT_EQ(sync->status(), Status::needsFolder()) << "Annuler changes nothing";
    EXPECT_TRUE(fs::exists(sync->localExport().snapshotFile()));

    sync->setStatus(Status::syncing());
    confirmation->answer = true;
    sync->confirmReset();
    EXPECT_EQ(confirmation->asked, 2) << "the question is asked even while a sync runs";
    EXPECT_EQ(sync->status(), Status::syncing());

    sync->setStatus(Status::needsFolder());
    sync->confirmReset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sync->status() == Status::resetComplete(); }, 5000));
}

} // namespace
} // namespace velunora
