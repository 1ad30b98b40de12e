// The product as it is used: the card gains a night every morning, and every morning a new run
// of the program syncs it, for weeks. What must hold: every night published every morning, a
// published document that stays bounded, what is new said, and nothing written when nothing is.
#include "platform/BoundedFile.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/Settings.h"
#include "sync/SyncController.h"
#include "sync/SyncTestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/cloudkit/CloudKitCloudStore.h"
#include "sync/cloud/cloudkit/CloudKitStandIn.h"
#include "sync/cloud/local/LocalCloudStore.h"
#include "sync/cloud/webdav/WebDAVCloudStore.h"
#include "sync/cloud/webdav/WebDAVTestServer.h"
#include "sync/history/NightsHistory.h"
#include "sync/history/UsageTexts.h"
#include "tools/CardGenerator.h"

#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <sys/stat.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What the iCloud store takes as one asset.
constexpr std::size_t iCloudAssetLimit = 15'000'000;

// The day folders of a card, oldest first.
std::vector<fs::path> dayFolders(const fs::path& card) {
    std::vector<fs::path> days;
    for (const auto& entry : fs::directory_iterator(card / "DATALOG")) {
        days.push_back(entry.path());
    }
    std::sort(days.begin(), days.end());
    return days;
}

// A card in the reader that gains the device's next night every morning: everything of the
// full card but its DATALOG days, which come one by one. `linked`: the files are links to the
// full card's (the real card is read in place, never copied).
class GrowingCard {
public:
    GrowingCard(fs::path full, fs::path root, bool linked)
        : full_(std::move(full))
        , root_(std::move(root))
        , linked_(linked)
        , days_(dayFolders(full_)) {
        fs::create_directories(root_ / "DATALOG");
        for (const auto& entry : fs::directory_iterator(full_)) {
            if (entry.path().filename() != "DATALOG") {
                place(entry.path(), root_ / entry.path().filename());
            }
        }
    }

    const fs::path& root() const noexcept { return root_; }
    std::size_t days() const noexcept { return days_.size(); }
    // The next day's recordings appear on the card, as the device writes them overnight.
    void addNight() {
        const fs::path& day = days_.at(added_++);
        place(day, root_ / "DATALOG" / day.filename());
    }

private:
    void place(const fs::path& from, const fs::path& to) const {
        if (!linked_) {
            fs::copy(from, to, fs::copy_options::recursive);
        } else if (fs::is_directory(from)) {
            fs::create_directories(to);
            for (const auto& entry : fs::directory_iterator(from)) {
                place(entry.path(), to / entry.path().filename());
            }
        } else {
            fs::create_symlink(from, to);
        }
    }

    fs::path full_;
    fs::path root_;
    bool linked_;
    std::vector<fs::path> days_;
    std::size_t added_ = 0;
};

// One computer that is switched on every morning: its settings, export and import cache stay,
// the program starts afresh each time.
class Computer {
public:
    using MakeStore = std::function<std::unique_ptr<CloudStore>()>;

    explicit Computer(MakeStore makeStore)
        : makeStore_(std::move(makeStore)) {}

    // One morning's run: start, sync the card, stop.
    Status syncOnce(const fs::path& card) {
        const auto controller = start();
        controller->adoptCardFolder(card);
        QCoro::waitFor(controller->sync());
        summary_ = controller->lastSyncSummary();
        return controller->status();
    }
    std::unique_ptr<SyncController> start() {
        SyncEnvironment environment;
        environment.settings = defaults_;
        environment.cloud = std::make_shared<CloudSnapshotService>(makeStore_());
        environment.localExport = LocalExport(home_.path() / "share");
        environment.importCacheFolder = home_.path() / "cache";
        environment.makeRegistry = [folder = environment.importCacheFolder] {
            return PAPCardImportRegistry::standard(folder);
        };
        return std::make_unique<SyncController>(std::move(environment));
    }

    const QString& summary() const noexcept { return summary_; }
    fs::path exportFile() const {
        return home_.path() / "share" / "LunexaSync" / "lunexa-snapshot.json";
    }
    std::string exported() const { return testing::readFile(exportFile()); }

private:
    MakeStore makeStore_;
    testing::TemporaryFolder home_;
    std::shared_ptr<MemorySettings> defaults_ = std::make_shared<MemorySettings>();
    QString summary_;
};

// The identity of a file's current version: a rewrite changes it.
std::string versionOf(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return {};
    }
    return std::to_string(info.st_ino) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

// A generated card of `nights` nights, written once per test program and only read.
const fs::path& generatedCard(int nights) {
    static testing::TemporaryFolder folder;
    static std::map<int, fs::path> cards;
    auto& card = cards[nights];
    if (card.empty()) {
        const testing::ScopedTimeZone paris("Europe/Paris");
        cardgen::CardGeneratorOptions options;
        options.nights = nights;
        options.seed = 30;
        options.firstNight = cardgen::LocalDay{2024, 10, 12};
        card = folder.path() / std::to_string(nights);
        cardgen::generateCard(card, options);
    }
    return card;
}

// Syncs `mornings` mornings in a row, each with one night more; checks what each morning
// publishes and returns the last document.
std::string syncMornings(Computer& computer, GrowingCard& card, std::size_t mornings,
                         const std::function<std::string()>& published) {
    std::string document;
    for (std::size_t morning = 1; morning <= mornings; ++morning) {
        card.addNight();
        const Status status = computer.syncOnce(card.root());
        EXPECT_EQ(status.kind(), Status::Kind::success)
            << "morning " << morning << ": " << status.failureText().toStdString();
        document = published();
        EXPECT_EQ(document, computer.exported()) << "morning " << morning;
        EXPECT_LE(document.size(), iCloudAssetLimit) << "morning " << morning;
        const OscarSnapshot snapshot = decodeSnapshot(document);
        EXPECT_EQ(snapshot.nights.size(), morning) << "every night, every morning";
        EXPECT_EQ(computer.summary(), describeSyncOutcome(static_cast<qint64>(morning), 1))
            << "morning " << morning;
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    return document;
}

class EveryMorningTest : public ::testing::Test {
protected:
    const testing::ScopedTimeZone zone{"Europe/Paris"};
    testing::TemporaryFolder folder;
};

TEST_F(EveryMorningTest, ThirtyMorningsPublishEveryNightInABoundedDocument) {
    const fs::path storeRoot = folder.path() / "store";
    Computer computer([&] { return std::make_unique<LocalCloudStore>(storeRoot); });
    GrowingCard card(generatedCard(30), folder.path() / "reader", false);
    const auto published = [&] {
        return testing::readFile(
            LocalCloudStore(storeRoot).assetFile(snapshotRecordName, QStringLiteral("payload")));
    };
    const std::string last = syncMornings(computer, card, card.days(), published);
    ASSERT_FALSE(HasFailure());

    // The same card synced once, on a new computer with a store of its own.
    const fs::path freshRoot = folder.path() / "fresh";
    Computer fresh([&] { return std::make_unique<LocalCloudStore>(freshRoot); });
    ASSERT_EQ(fresh.syncOnce(card.root()), Status::success(30));
    const std::string once = fresh.exported();
    EXPECT_LE(last.size(), once.size() * 115 / 100);
    EXPECT_GE(last.size(), once.size() * 85 / 100);
    const auto withSeries = [](const std::string& json) {
        const auto nights = decodeSnapshot(json).nights;
        return std::count_if(nights.begin(), nights.end(),
                             [](const NightSummary& night) { return !night.channels.empty(); });
    };
    EXPECT_EQ(withSeries(last), withSeries(once));
    EXPECT_LE(withSeries(last), 7);

    // The next morning without a new night: nothing is written, and the user is told.
    const QString tag = LocalCloudStore(storeRoot).fetchRecord(snapshotRecordName).changeTag;
    const std::string exportVersion = versionOf(computer.exportFile());
    EXPECT_EQ(computer.syncOnce(card.root()), Status::success(30));
    EXPECT_EQ(computer.summary(), QStringLiteral("30 nuits synchronisées, aucune nouvelle nuit "
                                                 "sur la carte"));
    EXPECT_EQ(LocalCloudStore(storeRoot).fetchRecord(snapshotRecordName).changeTag, tag);
    EXPECT_EQ(versionOf(computer.exportFile()), exportVersion);
}

TEST_F(EveryMorningTest, FiveMorningsOnAWebDAVServer) {
    if (!testing::WebDAVTestServer::available()) {
        GTEST_SKIP() << "Apache httpd with mod_dav is not installed";
    }
    testing::WebDAVTestServer server(QStringLiteral("camille"), QStringLiteral("nuit-calme"));
    const WebDAVAccount account{server.collectionUrl(), server.user()};
    Computer computer([&] {
        return std::make_unique<WebDAVCloudStore>(
            account, [&server] { return server.password(); }, WebDAVCloudStore::Timing{5s, 3s});
    });
    GrowingCard card(generatedCard(5), folder.path() / "reader", false);
    syncMornings(computer, card, card.days(), [&] {
        return server.get(QStringLiteral("current-oscar-snapshot.json")).toStdString();
    });
}

TEST_F(EveryMorningTest, FiveMorningsOnICloud) {
    if (!testing::CloudKitStandIn::available()) {
        GTEST_SKIP() << "python3 is not installed: the CloudKit stand-in cannot run";
    }
    testing::CloudKitStandIn standIn({});
    const auto tokens = std::make_shared<testing::MemoryWebAuthTokens>(standIn.issueToken());
    Computer computer([&] {
        return std::make_unique<CloudKitCloudStore>(standIn.container(), tokens,
                                                    CloudKitCloudStore::Timing{5s, 20s});
    });
    GrowingCard card(generatedCard(5), folder.path() / "reader", false);
    syncMornings(computer, card, card.days(),
                 [&] { return standIn.payload(snapshotRecordName).toStdString(); });
}

TEST_F(EveryMorningTest, TheRealCardSyncedDayByDayPublishesWhatOneSyncDoes) {
    VELUNORA_REQUIRE_REAL_CARD(real);
    const fs::path storeRoot = folder.path() / "store";
    Computer computer([&] { return std::make_unique<LocalCloudStore>(storeRoot); });
    GrowingCard card(real, folder.path() / "reader", true);
    std::string daily;
    for (std::size_t day = 0; day < card.days(); ++day) {
        card.addNight();
        ASSERT_EQ(computer.syncOnce(card.root()).kind(), Status::Kind::success) << "day " << day;
        daily = computer.exported();
    }

    Computer once([&] { return std::make_unique<LocalCloudStore>(folder.path() / "fresh"); });
    ASSERT_EQ(once.syncOnce(real).kind(), Status::Kind::success);
    const std::string single = once.exported();
    EXPECT_EQ(decodeSnapshot(daily).nights, decodeSnapshot(single).nights);
    EXPECT_LE(daily.size(), single.size() * 115 / 100);
}

// A store that lets another computer save just before each of our saves, as many times as told.
class OvertakenStore final : public CloudStore {
public:
    OvertakenStore(fs::path root, std::function<void()> otherSave, int overtakes)
        : store_(std::move(root))
        , otherSave_(std::move(otherSave))
        , overtakes_(overtakes) {}

    std::optional<QString> fetchChangeTag() override { return store_.fetchChangeTag(); }
    QByteArray fetchPayload() override { return store_.fetchPayload(); }
    QString save(const SnapshotUpload& snapshot, const QString& replacing) override {
        if (overtakes_-- > 0) {
            otherSave_();
        }
        return store_.save(snapshot, replacing);
    }
    void remove() override { store_.remove(); }

private:
    LocalCloudStore store_;
    std::function<void()> otherSave_;
    int overtakes_;
};

TEST_F(EveryMorningTest, ASaveOvertakenByAnotherComputerMergesAgainUpToThreeTimes) {
    const fs::path storeRoot = folder.path() / "store";
    GrowingCard card(generatedCard(5), folder.path() / "reader", false);
    for (int night = 0; night < 5; ++night) {
        card.addNight();
    }
    // The other computer's card: other nights, other device.
    testing::TemporaryFolder others;
    cardgen::CardGeneratorOptions options;
    options.nights = 2;
    options.seed = 77;
    options.firstNight = cardgen::LocalDay{2024, 6, 1};
    cardgen::generateCard(others.path() / "card", options);
    Computer other([&] { return std::make_unique<LocalCloudStore>(storeRoot); });
    const auto otherSyncs = [&] {
        ASSERT_EQ(other.syncOnce(others.path() / "card").kind(), Status::Kind::success);
    };

    Computer ours([&] { return std::make_unique<OvertakenStore>(storeRoot, otherSyncs, 2); });
    ASSERT_EQ(ours.syncOnce(card.root()), Status::success(7)) << "merged with the other's nights";
    EXPECT_EQ(decodeSnapshot(ours.exported()).nights.size(), 7u);

    // Overtaken every time: after three tries, the conflict is the outcome, and what the other
    // computer published stays.
    const fs::path busyRoot = folder.path() / "busy";
    Computer busyOther([&] { return std::make_unique<LocalCloudStore>(busyRoot); });
    ASSERT_EQ(busyOther.syncOnce(others.path() / "card"), Status::success(2));
    int overtakes = 0;
    const auto saveAgain = [&] {
        LocalCloudStore store(busyRoot);
        store.saveRecord(store.fetchRecord(snapshotRecordName));
        ++overtakes;
    };
    Computer unlucky([&] { return std::make_unique<OvertakenStore>(busyRoot, saveAgain, 1000); });
    const Status failed = unlucky.syncOnce(card.root());
    EXPECT_EQ(overtakes, 3);
    EXPECT_EQ(failed.kind(), Status::Kind::failed);
    EXPECT_TRUE(failed.failureText().startsWith(
        QStringLiteral("Les données publiées ont été modifiées ailleurs")))
        << failed.failureText().toStdString();
    EXPECT_EQ(decodeSnapshot(LocalCloudStore(busyRoot)
                                 .fetchAsset(snapshotRecordName, QStringLiteral("payload"))
                                 .toStdString())
                  .nights.size(),
              2u);
}

// What the user reads after each sync, and what the next launch still shows.
TEST_F(EveryMorningTest, TheNewsOfTheMorningAndTheLastSyncSurviveARestart) {
    EXPECT_EQ(describeSyncOutcome(412, 1),
              QStringLiteral("412 nuits synchronisées, dont 1 nouvelle"));
    EXPECT_EQ(describeSyncOutcome(412, 3),
              QStringLiteral("412 nuits synchronisées, dont 3 nouvelles"));
    EXPECT_EQ(describeSyncOutcome(1, 1), QStringLiteral("1 nuit synchronisée, dont 1 nouvelle"));
    EXPECT_EQ(describeSyncOutcome(2, 0),
              QStringLiteral("2 nuits synchronisées, aucune nouvelle nuit sur la carte"));

    const fs::path storeRoot = folder.path() / "store";
    Computer computer([&] { return std::make_unique<LocalCloudStore>(storeRoot); });
    GrowingCard card(generatedCard(5), folder.path() / "reader", false);
    card.addNight();
    card.addNight();
    ASSERT_EQ(computer.syncOnce(card.root()), Status::success(2));
    EXPECT_EQ(computer.summary(), describeSyncOutcome(2, 2));

    const auto restarted = computer.start();
    EXPECT_EQ(restarted->status(), Status::needsFolder());
    ASSERT_TRUE(restarted->hasLastSync());
    EXPECT_LE(restarted->lastSync().secsTo(QDateTime::currentDateTimeUtc()), 60);
    EXPECT_EQ(restarted->lastSyncSummary(), describeSyncOutcome(2, 2));

    // A reset forgets it, for this launch and the next.
    QCoro::waitFor(restarted->reset());
    EXPECT_FALSE(restarted->hasLastSync());
    EXPECT_FALSE(computer.start()->hasLastSync());
}

// The panel shows last night from what was published, before the card is back in the reader, and
// follows each sync and the reset.
TEST_F(EveryMorningTest, LastNightIsShownFromThePublishedNightsAndFollowsEachSync) {
    const fs::path storeRoot = folder.path() / "store";
    Computer computer([&] { return std::make_unique<LocalCloudStore>(storeRoot); });
    GrowingCard card(generatedCard(5), folder.path() / "reader", false);
    {
        const auto firstRun = computer.start();
        EXPECT_FALSE(firstRun->history()->hasNights()) << "nothing published yet";
    }
    card.addNight();
    card.addNight();
    ASSERT_EQ(computer.syncOnce(card.root()), Status::success(2));

    // The next morning the program starts without the card.
    const auto controller = computer.start();
    NightsHistory& history = *controller->history();
    ASSERT_TRUE(QTest::qWaitFor([&] { return history.hasNights(); }, 10'000))
        << "the published nights are read back at start";
    const OscarSnapshot published = decodeSnapshot(computer.exported());
    const auto lastDay = *usage::dayOfNight(published.nights.back().date);
    EXPECT_EQ(history.lastNightDate(), usagetext::nightTitle(usagetext::dateOf(lastDay)));
    EXPECT_EQ(history.lastNightHours(), usagetext::hours(published.nights.back().maskOnHours));
    ASSERT_EQ(history.recentHours().size(), NightsHistory::recentDayCount);
    EXPECT_EQ(history.recentSummary(), usagetext::compliantNights(2, 30));
    EXPECT_EQ(history.nights()->rowCount(), 2) << "the window's list holds both nights";

    // A night more on the card: the panel shows it once the sync is done.
    card.addNight();
    controller->adoptCardFolder(card.root());
    QCoro::waitFor(controller->sync());
    ASSERT_EQ(controller->status(), Status::success(3));
    EXPECT_EQ(history.lastNightDate(),
              usagetext::nightTitle(usagetext::dateOf(lastDay + std::chrono::days{1})));
    EXPECT_EQ(history.recentSummary(), usagetext::compliantNights(3, 30));
    EXPECT_EQ(history.nights()->rowCount(), 3);
    EXPECT_EQ(history.selectedNight(), 2) << "the newest night is the one shown";

    QCoro::waitFor(controller->reset());
    EXPECT_FALSE(history.hasNights()) << "nothing is shown of erased nights";
    EXPECT_EQ(history.nights()->rowCount(), 0);
}

} // namespace
} // namespace velunora
