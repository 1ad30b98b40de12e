#include "cardimport/PAPCardImportError.h"
#include "platform/PlatformError.h"
#include "sync/Settings.h"
#include "sync/SyncTestSupport.h"
#include "sync/card/CardLocation.h"
#include "sync/card/FolderChooser.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/desktop/AutostartEntry.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/volumes/VolumeSource.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using testing::demoCard;
using testing::RecordingCloudStore;

const QString cardName = QStringLiteral("ResMed AirSense 10 AutoSet");
const QString unsupportedText =
    QStringLiteral("Ce dossier ne contient pas une carte PPC compatible.");
const QString accessRefusedText =
    QStringLiteral("L\u2019acc\u00e8s \u00e0 la carte SD n\u2019a pas \u00e9t\u00e9 accord\u00e9. "
                   "S\u00e9lectionnez-la \u00e0 nouveau.");

// One file system with the UUID "CARD-1", mounted at `mountPoint` (or nowhere when empty), so
// that a test can "re-mount" it by moving the folder.
class MovableFileSystem final : public FileSystemLocator {
public:
    fs::path mountPoint;
    bool failLocate = false;

    std::optional<FileSystemLocation> locate(const fs::path& folder) const override {
        if (failLocate) {
            throw PlatformError(EIO, "Le volume ne r\u00e9pond pas.");
        }
        const auto inside = folder.lexically_relative(mountPoint);
        if (mountPoint.empty() || inside.empty() || *inside.begin() == "..") {
            return std::nullopt;
        }
        return FileSystemLocation{"CARD-1", fs::path("/") / inside};
    }

    std::vector<fs::path> mountedPaths(const FileSystemLocation& location) const override {
        if (mountPoint.empty() || location.fileSystemUUID != "CARD-1") {
            return {};
        }
        return {(mountPoint / location.pathInFileSystem.relative_path()).lexically_normal()};
    }
};

class ScriptedFolderChooser final : public FolderChooser {
public:
    std::deque<std::optional<fs::path>> answers;
    QString title;
    QString message;
    fs::path startedIn;

    std::optional<fs::path> chooseFolder(const QString& panelTitle, const QString& panelMessage,
                                         const fs::path& startIn) override {
        title = panelTitle;
        message = panelMessage;
        startedIn = startIn;
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeVolumes final : public VolumeSource {
public:
    std::vector<MountedVolume> volumes;

    std::vector<MountedVolume> mountedVolumes() const override { return volumes; }

    void mount(const fs::path& root, bool removable, bool ejectable = false) {
        volumes.push_back({root, root.filename().string(), removable, ejectable});
        Q_EMIT volumeMounted();
    }
    void unmount(const fs::path& root) {
        std::erase_if(volumes,
                      [&](const MountedVolume& volume) { return volume.rootFolder == root; });
        Q_EMIT volumeUnmounted();
    }

    // Ejecting unmounts, unless a program holds the volume.
    std::vector<fs::path> ejected;
    bool busy = false;
    QCoro::Task<> eject(fs::path root) override {
        ejected.push_back(root);
        if (busy) {
            throw PlatformError(EBUSY, "La carte n’a pas pu être éjectée : un programme utilise "
                                       "encore un de ses fichiers.");
        }
        unmount(root);
        co_return;
    }
};

class ScriptedLoginItem final : public AutostartEntry {
public:
    bool enabled = false;
    bool refuse = false;

    bool isEnabled() const override { return enabled; }
    void registerItem() override { change(true); }
    void unregisterItem() override { change(false); }

private:
    void change(bool to) {
        if (refuse) {
            throw PlatformError(EPERM, "Le service de session refuse.");
        }
        enabled = to;
    }
};

class RecordingNotifier final : public SyncNotifier {
public:
    std::vector<std::pair<QString, bool>> notices;
    void notify(const QString& text, bool offerEject) override {
        notices.emplace_back(text, offerEject);
    }
};

class CardAccessTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    std::shared_ptr<RecordingCloudStore::Shared> cloud =
        std::make_shared<RecordingCloudStore::Shared>();
    std::shared_ptr<MemorySettings> defaults = std::make_shared<MemorySettings>();
    std::shared_ptr<MovableFileSystem> fileSystem = std::make_shared<MovableFileSystem>();
    std::shared_ptr<CardLocations> cardLocations = std::make_shared<CardLocations>(fileSystem);
    std::shared_ptr<ScriptedFolderChooser> chooser = std::make_shared<ScriptedFolderChooser>();
    std::shared_ptr<FakeVolumes> volumes = std::make_shared<FakeVolumes>();
    std::shared_ptr<ScriptedLoginItem> autostartEntry = std::make_shared<ScriptedLoginItem>();
    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();

    std::unique_ptr<SyncController> controller() {
        SyncEnvironment environment;
        environment.settings = defaults;
        environment.cloud =
            std::make_shared<CloudSnapshotService>(std::make_unique<RecordingCloudStore>(cloud));
        environment.localExport = LocalExport(folder.path() / "share");
        environment.folderChooser = chooser;
        environment.cardLocations = cardLocations;
        environment.volumes = volumes;
        environment.autostartEntry = autostartEntry;
        environment.notifier = notifier;
        return std::make_unique<SyncController>(std::move(environment));
    }

    // A copy of the small generated card at `relativePath`.
    fs::path cardAt(const fs::path& relativePath) {
        const auto target = folder.path() / relativePath;
        fs::create_directories(target.parent_path());
        fs::copy(demoCard(), target, fs::copy_options::recursive);
        return target;
    }

    int saves() {
        std::lock_guard lock(cloud->mutex);
        return cloud->saves;
    }

    static bool waitForSuccess(SyncController& sync) {
        return QTest::qWaitFor([&] { return sync.status().kind() == Status::Kind::success; },
                               20000);
    }

    QByteArray storedBookmark() const {
        return defaults->value(CardAccess::savedCardFolderKey).toByteArray();
    }
};

TEST(CardBookmarkTest, RoundTripsAndRefusesForeignBytes) {
    const SavedCardLocation withLocation{"/media/ana/CARTE", FileSystemLocation{"1A2B-3C4D", "/"}};
    EXPECT_EQ(SavedCardLocation::decode(withLocation.encoded()), withLocation);
    const SavedCardLocation pathOnly{"/home/ana/carte \u00e9t\u00e9", std::nullopt};
    EXPECT_EQ(SavedCardLocation::decode(pathOnly.encoded()), pathOnly);

    EXPECT_FALSE(SavedCardLocation::decode(QByteArray()));
    EXPECT_FALSE(SavedCardLocation::decode(QByteArrayLiteral("file:///media/ana/CARTE")));
    const QByteArray bytes = withLocation.encoded();
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(SavedCardLocation::decode(bytes.left(length))) << "cut at " << length;
    }
    EXPECT_FALSE(SavedCardLocation::decode(bytes + QByteArrayLiteral("x")));
    EXPECT_FALSE(
        SavedCardLocation::decode(SavedCardLocation{"relative/path", std::nullopt}.encoded()));
}

// The device node whose number is the file system of `folder`, for a fake link by UUID.
std::optional<fs::path> deviceNodeOf(const fs::path& folder) {
    struct stat holder {};
    if (::stat(folder.c_str(), &holder) != 0) {
        return std::nullopt;
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        struct stat node {};
        if (::stat(entry.path().c_str(), &node) == 0 && S_ISBLK(node.st_mode) &&
            node.st_rdev == holder.st_dev) {
            return entry.path();
        }
    }
    return std::nullopt;
}

TEST(CardBookmarkTest, SystemLocatorFindsAFolderAgainWhereverItsFileSystemIsMounted) {
    testing::TemporaryFolder folder;
    const auto node = deviceNodeOf(folder.path());
    if (!node) {
        GTEST_SKIP() << "no device node for the temporary folder's file system";
    }
    struct stat holder {};
    ASSERT_EQ(::stat(folder.path().c_str(), &holder), 0);
    const auto device =
        std::to_string(major(holder.st_dev)) + ":" + std::to_string(minor(holder.st_dev));
    fs::create_directories(folder.path() / "uuid");
    fs::create_symlink(*node, folder.path() / "uuid" / "1A2B-3C4D");
    const auto mountAt = [&](const fs::path& mountPoint) {
        folder.write("mountinfo", "1 0 0:21 / /proc rw - proc proc rw\n27 1 " + device +
                                      " /cards " + mountPoint.string() + " rw - vfat " +
                                      node->string() + " rw\n");
    };
    const SystemFileSystemLocator locator(folder.path() / "mountinfo", folder.path() / "uuid");

    mountAt(folder.path() / "media" / "first");
    const auto card = folder.makeFolder("media/first/PAPCARD");
    const auto location = locator.locate(card);
    ASSERT_TRUE(location);
    EXPECT_EQ(*location, (FileSystemLocation{"1A2B-3C4D", "/cards/PAPCARD"}));

    mountAt(folder.path() / "run" / "second");
    EXPECT_EQ(locator.mountedPaths(*location),
              std::vector<fs::path>{folder.path() / "run" / "second" / "PAPCARD"});
    EXPECT_TRUE(locator.mountedPaths({"1A2B-3C4D", "/elsewhere"}).empty())
        << "only the mounted part of the file system";
    EXPECT_TRUE(locator.mountedPaths({"../../etc", "/"}).empty());
    EXPECT_TRUE(locator.mountedPaths({"FFFF-0000", "/cards"}).empty());
    EXPECT_FALSE(locator.locate(folder.path() / "missing"));
}

TEST_F(CardAccessTest, BookmarksFollowTheFileSystemToItsNewMountPoint) {
    fileSystem->mountPoint = folder.path() / "media" / "first";
    const auto card = cardAt("media/first/PAPCARD");
    const QByteArray bytes = cardLocations->saveLocation(card);

    const auto here = cardLocations->resolveLocation(bytes);
    EXPECT_EQ(here.folder, card);
    EXPECT_FALSE(here.isStale);

    fs::create_directories(folder.path() / "run");
    fs::rename(folder.path() / "media" / "first", folder.path() / "run" / "second");
    fileSystem->mountPoint = folder.path() / "run" / "second";
    const auto moved = cardLocations->resolveLocation(bytes);
    EXPECT_EQ(moved.folder, folder.path() / "run" / "second" / "PAPCARD");
    EXPECT_TRUE(moved.isStale);

    fileSystem->mountPoint.clear();
    const auto unplugged = cardLocations->resolveLocation(bytes);
    EXPECT_EQ(unplugged.folder, card) << "the old path, which then does not exist";
    EXPECT_FALSE(unplugged.isStale);

    EXPECT_THROW(cardLocations->resolveLocation(QByteArrayLiteral("garbage")), PlatformError);
    EXPECT_THROW(cardLocations->saveLocation(folder.path() / "missing"), PlatformError);
}

TEST_F(CardAccessTest, ChoosingACardKeepsItAdoptsItAndSyncs) {
    const auto card = cardAt("cards/PAPCARD");
    const auto sync = controller();
    const auto stick = folder.makeFolder("media/camille/STICK");
    volumes->mount(stick, true);
    chooser->answers = {card};
    sync->chooseCard();

    EXPECT_EQ(chooser->title,
              QStringLiteral("S\u00e9lectionner la carte SD de l\u2019appareil de traitement"));
    EXPECT_EQ(chooser->message, QStringLiteral("Choisissez la racine de la carte, celle qui "
                                               "contient DATALOG et STR.edf."));
    EXPECT_EQ(chooser->startedIn, stick.parent_path()) << "where removable media are mounted";
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);
    EXPECT_EQ(cardLocations->resolveLocation(storedBookmark()).folder, card);
    EXPECT_EQ(sync->chosenCardFolder(), card);
    EXPECT_EQ(sync->status(), Status::syncing()) << "the sync runs after chooseCard returned";
    ASSERT_TRUE(waitForSuccess(*sync));
    EXPECT_EQ(saves(), 1);

    // The same card again: the old access closes, exactly one stays open.
    chooser->answers = {card};
    sync->chooseCard();
    EXPECT_EQ(cardLocations->heldFolderCount(), 1);
    ASSERT_TRUE(waitForSuccess(*sync));
}

TEST_F(CardAccessTest, FailedChoicesLeaveTheCardAsItWas) {
    const auto card = cardAt("cards/PAPCARD");
    const auto notACard = folder.makeFolder("photos");
    const auto sync = controller();
    chooser->answers = {card};
    sync->chooseCard();
    ASSERT_TRUE(waitForSuccess(*sync));
    const QByteArray cardBookmark = storedBookmark();

    chooser->answers = {std::nullopt};
    sync->chooseCard();
    EXPECT_EQ(sync->status(), Status::success(2)) << "a cancelled panel changes nothing";
    EXPECT_EQ(storedBookmark(), cardBookmark);

    chooser->answers = {notACard};
    sync->chooseCard();
    EXPECT_EQ(sync->status(), Status::failed(unsupportedText));
    EXPECT_EQ(cardLocations->resolveLocation(storedBookmark()).folder, notACard)
        << "the choice is kept although it holds no card";
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);
    EXPECT_EQ(sync->chosenCardFolder(), card);
    EXPECT_EQ(cardLocations->heldFolderCount(), 1) << "the refused folder's access was closed";

    chooser->answers = {folder.path() / "vanished"};
    sync->chooseCard();
    EXPECT_EQ(sync->status().kind(), Status::Kind::failed) << "no bookmark of a missing folder";
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);

    fileSystem->failLocate = true;
    chooser->answers = {card};
    sync->chooseCard();
    EXPECT_EQ(sync->status(), Status::failed(QStringLiteral("Le volume ne r\u00e9pond pas.")));
    QTest::qWait(50);
    EXPECT_EQ(saves(), 1) << "no sync starts after a failed choice";
}

TEST_F(CardAccessTest, MissingFolderIsRefusedWithTheAccessCode) {
    const auto sync = controller();
    const auto card = cardAt("cards/PAPCARD");
    const QByteArray bytes = cardLocations->saveLocation(card);
    fs::remove_all(card);
    try {
        sync->openSavedCardFolder(bytes);
        FAIL() << "a missing folder must throw";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.code(), fileReadNoPermissionCode);
        EXPECT_EQ(QString::fromStdString(error.errorDescription()), accessRefusedText);
    }
    EXPECT_EQ(cardLocations->heldFolderCount(), 0) << "no access is opened on a missing path";
    EXPECT_EQ(sync->status(), Status::needsFolder());

    const auto empty = folder.makeFolder("empty");
    EXPECT_THROW(sync->openSavedCardFolder(cardLocations->saveLocation(empty)), PAPCardImportError);
    EXPECT_EQ(cardLocations->heldFolderCount(), 0);
}

TEST_F(CardAccessTest, StartUpRestoresTheStoredCardOrStaysQuiet) {
    fileSystem->mountPoint = folder.path() / "media" / "first";
    const auto card = cardAt("media/first/PAPCARD");
    defaults->setValue(CardAccess::savedCardFolderKey, cardLocations->saveLocation(card));
    defaults->setValue(SyncController::automaticCardImportKey, false);
    EXPECT_EQ(controller()->status(), Status::cardReady(cardName));

    // Unplugged: the path does not exist, the error is dropped.
    fs::rename(folder.path() / "media" / "first", folder.path() / "elsewhere");
    fileSystem->mountPoint.clear();
    EXPECT_EQ(controller()->status(), Status::needsFolder());

    // Plugged in again at another place: found there, and the stored bytes renewed.
    fileSystem->mountPoint = folder.path() / "elsewhere";
    const auto sync = controller();
    EXPECT_EQ(sync->detectedCard()->rootFolder, folder.path() / "elsewhere" / "PAPCARD");
    EXPECT_EQ(SavedCardLocation::decode(storedBookmark())->absolutePath,
              folder.path() / "elsewhere" / "PAPCARD");

    defaults->setValue(CardAccess::savedCardFolderKey, QByteArrayLiteral("garbage"));
    EXPECT_EQ(controller()->status(), Status::needsFolder());
}

TEST_F(CardAccessTest, AStaleBookmarkThatCannotBeRenewedStillAdoptsTheCard) {
    fileSystem->mountPoint = folder.path() / "first";
    const auto card = cardAt("first/PAPCARD");
    const QByteArray bytes = cardLocations->saveLocation(card);
    fs::rename(folder.path() / "first", folder.path() / "second");
    fileSystem->mountPoint = folder.path() / "second";
    fileSystem->failLocate = true;

    defaults->setValue(SyncController::automaticCardImportKey, false);
    const auto sync = controller();
    EXPECT_THROW(sync->openSavedCardFolder(bytes), PlatformError);
    EXPECT_EQ(sync->status(), Status::cardReady(cardName));
    EXPECT_EQ(sync->detectedCard()->rootFolder, folder.path() / "second" / "PAPCARD");
}

TEST_F(CardAccessTest, InsertingACardWithAutomaticImportSyncsOnce) {
    const auto sync = controller();
    EXPECT_EQ(sync->findChild<QTimer*>(QStringLiteral("cardPollingTimer"))->interval(), 12000);
    const auto card = cardAt("media/PAPCARD");
    volumes->mount(card, true);
    EXPECT_EQ(sync->status(), Status::syncing()) << "found at once, then the sync started";
    ASSERT_TRUE(waitForSuccess(*sync));

    QSignalSpy statusSpy(sync.get(), &SyncController::statusChanged);
    sync->refreshDetectedCard(); // the next tick
    EXPECT_EQ(statusSpy.count(), 0);
    EXPECT_EQ(sync->status(), Status::success(2));

    // Another disk while the card stays: nothing changes, and the card is synced again, which
    // publishes nothing as it brings nothing new.
    const auto other = folder.makeFolder("media/USBSTICK");
    volumes->mount(other, true);
    EXPECT_EQ(sync->status(), Status::syncing());
    ASSERT_TRUE(waitForSuccess(*sync));
    EXPECT_EQ(saves(), 1);

    volumes->unmount(card);
    EXPECT_EQ(sync->status(), Status::needsFolder());
    EXPECT_FALSE(sync->hasDetectedCard());
}

TEST_F(CardAccessTest, WithAutomaticImportOffNothingIsFollowed) {
    defaults->setValue(SyncController::automaticCardImportKey, false);
    const auto sync = controller();
    volumes->mount(cardAt("media/PAPCARD"), true);
    EXPECT_EQ(sync->status(), Status::needsFolder());
    EXPECT_FALSE(sync->hasDetectedCard());

    // Turning it on finds the card and syncs at once.
    sync->setAutomaticCardImport(true);
    EXPECT_EQ(defaults->value(SyncController::automaticCardImportKey), QVariant(true));
    EXPECT_EQ(sync->status(), Status::syncing());
    ASSERT_TRUE(waitForSuccess(*sync));

    sync->setAutomaticCardImport(false);
    EXPECT_EQ(defaults->value(SyncController::automaticCardImportKey), QVariant(false));
    EXPECT_EQ(sync->status(), Status::success(2)) << "turning it off clears nothing";
    EXPECT_FALSE(controller()->hasDetectedCard()) << "read back as off after a restart";
}

// "Éjecter la carte" is offered only for a card on a removable volume, never in the middle of
// a sync; a refused ejection says why and keeps the card.
TEST_F(CardAccessTest, EjectingTheCard) {
    const auto sync = controller();
    const auto chosen = cardAt("cards/PAPCARD");
    chooser->answers = {chosen};
    sync->chooseCard();
    ASSERT_TRUE(waitForSuccess(*sync));
    EXPECT_FALSE(sync->canEjectCard()) << "a folder of this computer is no card to eject";

    const auto card = cardAt("media/PAPCARD");
    volumes->mount(card, true);
    ASSERT_TRUE(waitForSuccess(*sync));
    ASSERT_EQ(sync->detectedCard()->rootFolder, card);
    EXPECT_TRUE(sync->canEjectCard());

    volumes->busy = true;
    QCoro::waitFor(sync->runEject());
    EXPECT_EQ(volumes->ejected, std::vector<fs::path>{card});
    EXPECT_TRUE(sync->status().failureText().contains(QStringLiteral("utilise encore")));
    EXPECT_TRUE(sync->hasDetectedCard());

    sync->startSync();
    ASSERT_EQ(sync->status(), Status::syncing());
    QCoro::waitFor(sync->runEject());
    EXPECT_EQ(volumes->ejected.size(), 1u) << "not while a sync reads the card";
    ASSERT_TRUE(waitForSuccess(*sync));

    volumes->busy = false;
    QCoro::waitFor(sync->runEject());
    EXPECT_EQ(volumes->ejected.size(), 2u);
    EXPECT_EQ(sync->detectedCard()->rootFolder, chosen) << "the folder chosen before is back";
    EXPECT_FALSE(sync->canEjectCard());
}

// A sync that the card's insertion started ends with a notice that says how it went and, on
// success, offers to eject the card; a sync the user started, or notices turned off, say
// nothing; the notice's action ejects.
TEST_F(CardAccessTest, AnInsertedCardsSyncEndsWithANotice) {
    const auto sync = controller();
    const auto card = cardAt("media/PAPCARD");
    volumes->mount(card, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notifier->notices.empty(); }, 20000));
    ASSERT_EQ(notifier->notices.size(), 1u);
    EXPECT_EQ(notifier->notices[0].first,
              QStringLiteral("2 nuits synchronisées, dont 2 nouvelles : la carte peut retourner "
                             "dans l’appareil."));
    EXPECT_TRUE(notifier->notices[0].second) << "with the eject action";

    sync->startSync();
    ASSERT_TRUE(waitForSuccess(*sync));
    EXPECT_EQ(notifier->notices.size(), 1u) << "the user saw this one in the panel";

    Q_EMIT notifier->ejectRequested();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sync->hasDetectedCard(); }, 5000));
    EXPECT_EQ(volumes->ejected, std::vector<fs::path>{card});

    sync->setNotificationsEnabled(false);
    EXPECT_FALSE(controller()->notificationsEnabled()) << "kept";
    volumes->mount(card, true);
    ASSERT_TRUE(waitForSuccess(*sync));
    QTest::qWait(50);
    EXPECT_EQ(notifier->notices.size(), 1u);

    // A card that cannot be read tells so, without an action.
    sync->setNotificationsEnabled(true);
    volumes->unmount(card);
    fs::remove_all(card / "DATALOG");
    fs::create_directories(card / "DATALOG");
    volumes->mount(card, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifier->notices.size() > 1; }, 20000));
    EXPECT_TRUE(
        notifier->notices.back().first.startsWith(QStringLiteral("La synchronisation a échoué : ")))
        << notifier->notices.back().first.toStdString();
    EXPECT_FALSE(notifier->notices.back().second);
}

TEST_F(CardAccessTest, TurningAutomaticImportOnWithoutACardStartsNothing) {
    defaults->setValue(SyncController::automaticCardImportKey, false);
    const auto sync = controller();
    sync->setStatus(Status::resetComplete());
    sync->setAutomaticCardImport(true);
    EXPECT_EQ(sync->status(), Status::resetComplete());
    EXPECT_TRUE(sync->automaticCardImport());
}

TEST_F(CardAccessTest, TheScanTakesTheFirstRemovableCardAndNeverAnInternalDisk) {
    const auto internal = cardAt("internal/PAPCARD");
    const auto first = cardAt("media/FIRST");
    const auto second = cardAt("media/SECOND");
    volumes->volumes = {{internal, "internal", false, false},
                        {second, "SECOND", false, true},
                        {first, "FIRST", true, false}};
    const auto sync = controller();
    EXPECT_EQ(sync->detectedCard()->rootFolder, second) << "ejectable counts, in listing order";

    volumes->volumes = {{internal, "internal", false, false}};
    sync->refreshDetectedCard();
    EXPECT_FALSE(sync->hasDetectedCard());
    EXPECT_EQ(sync->status(), Status::needsFolder());
}

TEST_F(CardAccessTest, AChosenCardStaysChosenAcrossScansAndRestartsUntilACardIsInserted) {
    const auto card = cardAt("home/copies/PAPCARD");
    fileSystem->mountPoint = folder.path() / "home";
    auto sync = controller();
    chooser->answers = {card};
    sync->chooseCard();
    ASSERT_TRUE(waitForSuccess(*sync));

    // The ticks that find no removable card leave the chosen one, and the outcome, alone.
    QSignalSpy statusSpy(sync.get(), &SyncController::statusChanged);
    sync->refreshDetectedCard();
    sync->refreshDetectedCard();
    EXPECT_EQ(statusSpy.count(), 0);
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);
    EXPECT_EQ(cardLocations->heldFolderCount(), 1);

    // After a restart it is still the card, and the start-up syncs it as an inserted one.
    sync.reset();
    sync = controller();
    EXPECT_EQ(sync->status(), Status::cardReady(cardName));
    sync->refreshDetectedCard();
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);
    QCoro::waitFor(sync->syncInsertedCard());
    EXPECT_EQ(sync->status(), Status::success(2));

    // A card inserted takes over; once it is gone, the chosen one is back.
    const auto inserted = cardAt("media/PAPCARD");
    volumes->mount(inserted, true);
    ASSERT_TRUE(waitForSuccess(*sync));
    EXPECT_EQ(sync->detectedCard()->rootFolder, inserted);
    volumes->unmount(inserted);
    EXPECT_EQ(sync->detectedCard()->rootFolder, card);

    // Once the folder is gone, so is the card, and its access is closed.
    const int openBefore = cardLocations->heldFolderCount();
    fs::remove_all(card);
    sync->refreshDetectedCard();
    EXPECT_FALSE(sync->hasDetectedCard());
    EXPECT_EQ(sync->status(), Status::needsFolder());
    EXPECT_FALSE(sync->chosenCardFolder());
    EXPECT_EQ(cardLocations->heldFolderCount(), openBefore - 1);
}

TEST_F(CardAccessTest, ACardLeftInTheReaderIsSyncedAtStartUpOnlyWithAutomaticImport) {
    const auto card = cardAt("media/PAPCARD");
    volumes->volumes = {{card, "PAPCARD", true, true}};
    defaults->setValue(SyncController::automaticCardImportKey, false);
    {
        const auto sync = controller();
        QCoro::waitFor(sync->syncInsertedCard());
        EXPECT_EQ(sync->status(), Status::needsFolder());
        EXPECT_EQ(saves(), 0);
    }
    defaults->setValue(SyncController::automaticCardImportKey, true);
    const auto sync = controller();
    EXPECT_EQ(sync->status(), Status::cardReady(cardName)) << "found, not yet synced";
    QCoro::waitFor(sync->syncInsertedCard());
    EXPECT_EQ(sync->status(), Status::success(2));
    EXPECT_EQ(saves(), 1);
    ASSERT_EQ(notifier->notices.size(), 1u) << "as if it had just been inserted";
    EXPECT_TRUE(notifier->notices[0].second);
}

TEST_F(CardAccessTest, UnpluggingDuringASyncShowsTheWaitUntilTheRunEnds) {
    const auto card = cardAt("media/PAPCARD");
    const auto sync = controller();
    volumes->mount(card, true);
    ASSERT_EQ(sync->status(), Status::syncing());
    volumes->unmount(card);
    EXPECT_EQ(sync->status(), Status::needsFolder());
    // The run read its own copy of the card's place and ends with its own status.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sync->status() != Status::needsFolder(); }, 20000));
    EXPECT_EQ(sync->status(), Status::success(2));
}

TEST_F(CardAccessTest, ACardWhoseIdentificationCannotBeReadNeedsAccess) {
    const auto card = cardAt("media/PAPCARD");
    // A folder where the identification file should be: recognised, but never readable.
    for (const char* name : {"Identification.json", "Identification.tgt", "STR.edf"}) {
        if (fs::exists(card / name)) {
            fs::remove(card / name);
            fs::create_directory(card / name);
            break;
        }
    }
    const auto sync = controller();
    volumes->mount(card, true);
    ASSERT_TRUE(sync->hasDetectedCard());
    EXPECT_TRUE(sync->cardNeedsAccess());
    EXPECT_EQ(sync->status().kind(), Status::Kind::cardNeedsAccess)
        << "and the sync the mount started stopped there";
    QTest::qWait(50);
    EXPECT_EQ(saves(), 0);
}

TEST_F(CardAccessTest, LaunchAtLoginMirrorsTheLoginItem) {
    autostartEntry->enabled = true;
    const auto sync = controller();
    EXPECT_TRUE(sync->launchAtLogin());

    sync->setLaunchAtLogin(false);
    EXPECT_FALSE(sync->launchAtLogin());
    EXPECT_FALSE(autostartEntry->enabled);

    autostartEntry->refuse = true;
    QSignalSpy spy(sync.get(), &SyncController::launchAtLoginChanged);
    sync->setLaunchAtLogin(true);
    EXPECT_FALSE(sync->launchAtLogin());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(sync->status(), Status::failed(QStringLiteral(
                                  "Ouverture de session : Le service de session refuse.")));
    EXPECT_EQ(sync->status().title(), QStringLiteral("\u00c9chec de la synchronisation"));
}

TEST(AutostartLoginItemTest, TheEntryIsOursAndHiddenMeansOff) {
    testing::TemporaryFolder folder;
    DesktopAutostartEntry item(folder.path() / "config" / "autostart",
                               "/opt/Velunora Sync/bin/velunora-sync");
    EXPECT_FALSE(item.isEnabled());
    item.unregisterItem(); // nothing to remove is no failure

    item.registerItem();
    EXPECT_TRUE(item.isEnabled());
    const std::string entry = testing::readFile(item.entryURL());
    EXPECT_NE(entry.find("\nExec=\"/opt/Velunora Sync/bin/velunora-sync\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nTerminal=false\n"), std::string::npos);

    folder.write("config/autostart/velunora-sync.desktop",
                 "[Desktop Entry]\nType=Application\nExec=velunora-sync\nHidden = true\n");
    EXPECT_FALSE(item.isEnabled());
    folder.write("config/autostart/velunora-sync.desktop",
                 "[Desktop Entry]\nExec=velunora-sync\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(item.isEnabled()) << "only the main group counts";

    item.unregisterItem();
    EXPECT_FALSE(fs::exists(item.entryURL()));

    EXPECT_EQ(DesktopAutostartEntry::desktopEntry("/usr/bin/velunora-sync").find("Exec=\"/"),
              std::string::npos)
        << "a plain path is not quoted";
    EXPECT_NE(DesktopAutostartEntry::desktopEntry("/home/a$b/velunora-sync")
                  .find("Exec=\"/home/a\\\\$b/velunora-sync\""),
              std::string::npos);
}

TEST(AutostartLoginItemTest, ARefusedChangeSaysWhy) {
    testing::TemporaryFolder folder;
    folder.write("config/autostart", "a file where the folder should be");
    DesktopAutostartEntry item(folder.path() / "config" / "autostart", "/usr/bin/velunora-sync");
    EXPECT_THROW(item.registerItem(), PlatformError);
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
} // namespace velunora
