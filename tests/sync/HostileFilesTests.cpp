// What another program, or another user, may leave where our files belong: a sync never waits on
// it for ever, never reads it for ours, and says what is wrong.
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/SyncTestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/RecordStore.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "tools/CardGenerator.h"

#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;

class HostileFilesTest : public ::testing::Test {
protected:
    const testing::ScopedTimeZone zone{"Europe/Paris"};
    testing::TemporaryFolder home;
    std::shared_ptr<MemorySettings> defaults = std::make_shared<MemorySettings>();
    fs::path store = home.path() / "store";
    fs::path lockFile = home.path() / "data" / "velunora-sync" / "publication.lock";
    fs::path exportFile = home.path() / "data" / "LunexaSync" / "lunexa-snapshot.json";
    fs::path cacheFolder = home.path() / "cache";

    std::unique_ptr<SyncController> start() {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud = std::make_shared<CloudSnapshotService>(
            std::make_unique<LocalCloudStore>(store), QString::fromStdString(lockFile.string()));
        environment.localExport = LocalExport(home.path() / "data");
        environment.importCacheFolder = cacheFolder;
        environment.makeRegistry = [folder = cacheFolder] {
            return PAPCardImportRegistry::standard(folder);
        };
        return std::make_unique<SyncController>(std::move(environment));
    }

    // One sync, which must end whatever lies in the way: a wait on a FIFO would never end.
    Status sync(const fs::path& card) {
        const auto controller = start();
        controller->adoptCardFolder(card);
        controller->startSync();
        const bool ended = QTest::qWaitFor(
            [&] { return controller->status().kind() != Status::Kind::syncing; }, 60000);
        EXPECT_TRUE(ended) << "the sync waits for ever";
        return controller->status();
    }
};

TEST_F(HostileFilesTest, AFIFOInPlaceOfAnyOfOurFilesNeverHangsASync) {
    // A card with a new night for every try, so that every sync reads and writes everything.
    cardgen::CardGeneratorOptions options;
    options.nights = 8;
    options.firstNight = cardgen::LocalDay{2024, 4, 1};
    cardgen::generateCard(home.path() / "full", options);
    const fs::path card = home.path() / "card";
    fs::copy(home.path() / "full", card, fs::copy_options::recursive);
    std::vector<fs::path> days;
    for (const auto& entry : fs::directory_iterator(card / "DATALOG")) {
        days.push_back(entry.path());
    }
    std::sort(days.begin(), days.end());
    for (std::size_t day = 1; day < days.size(); ++day) {
        fs::rename(days[day], home.path() / days[day].filename());
    }
    std::size_t added = 1;
    ASSERT_EQ(sync(card), Status::success(1));
    const fs::path record = store / "current-oscar-snapshot";
    std::vector<fs::path> places = {record / "record.json", record / "payload.json",
                                    store / ".current-oscar-snapshot.lock", lockFile, exportFile};
    for (const auto& entry : fs::directory_iterator(cacheFolder)) {
        places.push_back(entry.path());
    }
    ASSERT_EQ(places.size(), 6u) << "the card's import cache";
    for (const fs::path& place : places) {
        SCOPED_TRACE(place.string());
        const fs::path aside = place.string() + ".aside";
        std::error_code error;
        fs::rename(place, aside, error);
        ASSERT_EQ(::mkfifo(place.c_str(), 0600), 0);
        fs::rename(home.path() / days[added].filename(), days[added]);
        ++added;
        const Status status = sync(card);
        fprintf(stderr, "DEBUG %s: %s %s\n", place.filename().c_str(), qPrintable(status.title()),
                qPrintable(status.failureText()));
        // Published data that cannot be read is a failure that says so; what is only ours to
        // keep (the export, the cache) is rebuilt or reported, never waited on.
        if (status.kind() == Status::Kind::failed) {
            EXPECT_FALSE(status.failureText().isEmpty());
        }
        fs::remove(place);
        if (fs::exists(aside)) {
            fs::rename(aside, place);
        }
    }
    fs::rename(home.path() / days[added].filename(), days[added]);
    EXPECT_EQ(sync(card), Status::success(8)) << "all in order again, nothing lost";
}

TEST_F(HostileFilesTest, AnotherUsersFileInPlaceOfOursIsNotReadForOurs) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user takes root";
    }
    const fs::path card = testing::demoCard();
    ASSERT_EQ(sync(card), Status::success(2));
    // Someone else's export: not trusted as our history, and not written through.
    ASSERT_EQ(::chown(exportFile.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(LocalExport::readSnapshotFile(exportFile));
    // Someone else's record in the store: damage, said as such.
    ASSERT_EQ(::chown((store / "current-oscar-snapshot" / "payload.json").c_str(), 65534, 65534),
              0);
    defaults->remove(publishedChangeTagKey);
    const Status status = sync(card);
    EXPECT_EQ(status.kind(), Status::Kind::failed);
}

TEST_F(HostileFilesTest, AFolderOpenToEveryoneIsNotUsedForOurNights) {
    const fs::path card = testing::demoCard();
    for (const fs::path& folder : {store, exportFile.parent_path()}) {
        SCOPED_TRACE(folder.string());
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::all);
        const Status status = sync(card);
        EXPECT_EQ(status.kind(), Status::Kind::failed);
        EXPECT_TRUE(status.failureText().contains(QStringLiteral("tout le monde peut y écrire")))
            << status.failureText().toStdString();
        fs::permissions(folder, fs::perms::owner_all);
    }
    EXPECT_EQ(sync(card), Status::success(2));
}

// A cache planted by a stranger could make an import skip the card's files: the sync reads the
// whole card instead, keeps no cache there, and says why in the log.
TEST_F(HostileFilesTest, AStrangersCacheFolderIsNeitherReadNorWrittenAndTheLogSaysWhy) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) {
                warnings.append(text);
            }
        });
    const fs::path card = testing::demoCard();
    fs::create_directories(cacheFolder);
    ASSERT_EQ(::chown(cacheFolder.c_str(), 65534, 65534), 0);
    EXPECT_EQ(sync(card), Status::success(2));
    qInstallMessageHandler(previous);
    EXPECT_TRUE(fs::is_empty(cacheFolder)) << "a cache kept where others may write";
    ASSERT_EQ(warnings.size(), 1) << warnings.join(u'\n').toStdString();
    EXPECT_TRUE(warnings.front().contains(QString::fromStdString(cacheFolder.string())));
}

// A store that refuses to erase, as a server gone away would.
class UnerasableStore final : public RecordStore {
public:
    explicit UnerasableStore(fs::path root)
        : store_(std::move(root)) {}
    CloudRecord fetchRecord(const QString& name) override { return store_.fetchRecord(name); }
    QByteArray fetchAsset(const QString& name, const QString& field) override {
        return store_.fetchAsset(name, field);
    }
    QString saveRecord(const CloudRecord& record) override { return store_.saveRecord(record); }
    void deleteRecord(const QString&) override {
        throw CloudError(cloudcode::networkFailure, QStringLiteral("Le serveur ne répond pas."));
    }

private:
    LocalCloudStore store_;
};

TEST_F(HostileFilesTest, AResetErasesEveryStoreThisComputerPublishedInto) {
    const fs::path card = testing::demoCard();
    const fs::path first = home.path() / "first-store";
    const fs::path second = home.path() / "second-store";
    bool firstRefuses = false;
    const auto makeStore = [&](const Settings& settings) -> std::unique_ptr<CloudStore> {
        const fs::path root =
            settings.value(QStringLiteral("cloud-folder")).toString().toStdString();
        if (root == first && firstRefuses) {
            return std::make_unique<UnerasableStore>(root);
        }
        return std::make_unique<LocalCloudStore>(root);
    };
    const auto published = [](const fs::path& root) {
        return fs::exists(root / "current-oscar-snapshot");
    };
    defaults->setValue(QStringLiteral("cloud-folder"), QString::fromStdString(first.string()));
    const auto computer = [&] {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud = std::make_shared<CloudSnapshotService>(
            makeStore(*defaults), QString::fromStdString(lockFile.string()));
        environment.localExport = LocalExport(home.path() / "data");
        environment.storeChoice.makeStore = makeStore;
        return std::make_unique<SyncController>(std::move(environment));
    };
    const auto syncInto = [&](const fs::path& root) {
        const auto controller = computer();
        controller->storeChoice()->useLocalStore(QString::fromStdString(root.string()));
        controller->adoptCardFolder(card);
        QCoro::waitFor(controller->sync());
        ASSERT_EQ(controller->status(), Status::success(2));
    };
    syncInto(first);
    syncInto(second);
    ASSERT_TRUE(published(first) && published(second));

    // The store that cannot erase is named, and kept for the next reset.
    firstRefuses = true;
    auto controller = computer();
    QCoro::waitFor(controller->reset());
    EXPECT_FALSE(published(second));
    EXPECT_TRUE(published(first));
    EXPECT_TRUE(controller->status().failureText().contains(QString::fromStdString(first.string())))
        << controller->status().failureText().toStdString();
    EXPECT_TRUE(controller->status().failureText().contains(QStringLiteral("ne répond pas")));

    firstRefuses = false;
    controller = computer();
    QCoro::waitFor(controller->reset());
    EXPECT_EQ(controller->status(), Status::resetComplete());
    EXPECT_FALSE(published(first));
}

} // namespace
} // namespace velunora
