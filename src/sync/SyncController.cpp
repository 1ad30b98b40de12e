#include "sync/SyncController.h"

#include "cardimport/DeviceIdentification.h"
#include "cardimport/PAPCardImportError.h"
#include "nights/ImportCache.h"
#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"
#include "sync/UserDefaults.h"
#include "sync/card/CardBookmark.h"
#include "sync/card/FolderChooser.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStore.h"
#include "sync/cloud/EncodedSnapshot.h"
#include "sync/desktop/FileRevealer.h"
#include "sync/desktop/LoginItem.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/publication/PreviousSnapshot.h"
#include "sync/publication/SnapshotMerge.h"
#include "sync/volumes/VolumeSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent>
#include <algorithm>
#include <array>
#include <qcoro/qcorofuture.h>

namespace velunora {
namespace {

// What the import hands back: the card's snapshot, or the failure it met.
struct ImportOutcome {
    std::shared_ptr<const OscarSnapshot> snapshot;
    std::exception_ptr error;
};

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

QString describeFailure(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const PAPCardImportError& failure) {
        return fromUtf8(failure.errorDescription());
    } catch (const PlatformError& failure) {
        return fromUtf8(failure.errorDescription());
    } catch (const CloudError& failure) {
        return failure.localizedDescription();
    } catch (const SnapshotEncodingError& failure) {
        // Written in French by the encoder, naming the value and its night.
        return fromUtf8(failure.what());
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("SyncController",
                                           "La mémoire disponible ne suffit pas.");
    } catch (const std::filesystem::filesystem_error& failure) {
        return fromUtf8(PlatformError::fileUnreadable(failure.path1(), failure.code().value())
                            .errorDescription());
    } catch (...) {
        // Anything else speaks the library's English: the user gets our words instead.
        return QCoreApplication::translate("SyncController", "Une erreur inconnue est survenue.");
    }
}

void installQtLocalization() {
    installLocalizer([](const char* context, std::string_view frenchText) {
        const std::string key(frenchText);
        return QCoreApplication::translate(context, key.c_str()).toStdString();
    });
}

SyncEnvironment SyncEnvironment::standard() {
    SyncEnvironment environment;
    environment.userDefaults = std::make_shared<SettingsUserDefaults>();
    // The service outlives every controller; the pointer does not own it.
    environment.cloud = std::shared_ptr<CloudSnapshotService>(&CloudSnapshotService::shared(),
                                                              [](CloudSnapshotService*) {});
    environment.localExport = LocalExport::standard();
    environment.revealer = std::make_shared<DesktopFileRevealer>();
    environment.bookmarks =
        std::make_shared<CardBookmarks>(std::make_shared<SystemFileSystemLocator>());
    environment.volumes = makeStandardVolumeSource();
    environment.loginItem = std::make_shared<AutostartLoginItem>(AutostartLoginItem::standard());
    environment.importCacheFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString() +
        "/velunora-sync";
    environment.makeRegistry = [folder = environment.importCacheFolder] {
        return PAPCardImportRegistry::standard(folder);
    };
    return environment;
}

SyncController::SyncController(SyncEnvironment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment)) {
    if (!environment_.bookmarks) {
        environment_.bookmarks =
            std::make_shared<CardBookmarks>(std::make_shared<SystemFileSystemLocator>());
    }
    CloudStoreChoice::Services choice = CloudStoreChoice::Services::standard(
        environment_.userDefaults, environment_.cloud, environment_.folderChooser);
    const CloudStoreChoice::Services& given = environment_.storeChoice;
    if (given.makeStore) {
        choice.makeStore = given.makeStore;
    }
    if (given.keepWebDAVPassword) {
        choice.keepWebDAVPassword = given.keepWebDAVPassword;
    }
    if (given.iCloudTokens) {
        choice.iCloudTokens = given.iCloudTokens;
    }
    choice.openPage = given.openPage;
    storeChoice_ = new CloudStoreChoice(std::move(choice), this);
    // Another store, or iCloud signed in: the card waiting is published there at once.
    connect(storeChoice_, &CloudStoreChoice::publicationChanged, this, [this] {
        if (detectedCard_ && !cardNeedsAccess_ && !syncRunning_ && !resetRunning_) {
            sync();
        }
    });
    if (environment_.notifier) {
        connect(environment_.notifier.get(), &SyncNotifier::ejectRequested, this,
                [this] { runEject(); });
    }
    restoreStoredCardAccess();
    readPreferences();
    readLoginItemState();
    startWatchingVolumes();
    startPollingTimer();
    refreshDetectedCard();
}

SyncController::~SyncController() = default;

QString SyncController::localExportPath() const {
    return QFile::decodeName(environment_.localExport.snapshotFileURL().c_str());
}

namespace {

// The one controller of the process, kept for the whole run once created.
SyncController* sharedController = nullptr;

} // namespace

SyncController& SyncController::shared() {
    return sharedController != nullptr ? *sharedController
                                       : createShared(SyncEnvironment::standard());
}

SyncController& SyncController::createShared(SyncEnvironment environment) {
    if (sharedController == nullptr) {
        installQtLocalization();
        sharedController = new SyncController(std::move(environment), QCoreApplication::instance());
    }
    return *sharedController;
}

void SyncController::setStatus(const Status& status) {
    if (status_ == status) {
        return;
    }
    status_ = status;
    Q_EMIT statusChanged();
}

QString SyncController::detectedCardName() const {
    return detectedCard_ ? fromUtf8(detectedCard_->displayName()) : QString();
}

QString SyncController::detectedCardPath() const {
    return detectedCard_ ? QString::fromStdString(detectedCard_->rootURL.string()) : QString();
}

void SyncController::setDetectedCard(std::optional<DetectedPAPCard> card) {
    if (detectedCard_ == card) {
        return;
    }
    detectedCard_ = std::move(card);
    Q_EMIT detectedCardChanged();
}

void SyncController::setCardNeedsAccess(bool needsAccess) {
    if (cardNeedsAccess_ == needsAccess) {
        return;
    }
    cardNeedsAccess_ = needsAccess;
    Q_EMIT cardNeedsAccessChanged();
}

void SyncController::setLastSync(const QDateTime& instant) {
    if (lastSync_ == instant && lastSync_.isValid() == instant.isValid()) {
        return;
    }
    lastSync_ = instant;
    Q_EMIT lastSyncChanged();
}

void SyncController::setAutomaticCardImportValue(bool enabled) {
    if (automaticCardImport_ == enabled) {
        return;
    }
    automaticCardImport_ = enabled;
    Q_EMIT automaticCardImportChanged();
}

void SyncController::setLaunchAtLoginValue(bool enabled) {
    if (launchAtLogin_ == enabled) {
        return;
    }
    launchAtLogin_ = enabled;
    Q_EMIT launchAtLoginChanged();
}

QByteArray SyncController::storedCardBookmark() const {
    const QVariant stored = environment_.userDefaults->value(cardBookmarkKey);
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : QByteArray();
}

void SyncController::restoreStoredCardAccess() {
    const QByteArray bookmark = storedCardBookmark();
    if (bookmark.isEmpty()) {
        return;
    }
    try {
        restoreCardAccess(bookmark);
    } catch (...) {
        // A card that is not inserted at start-up is the usual case, not a failure.
    }
}

void SyncController::readPreferences() {
    // Anything but a stored Bool leaves the default on.
    if (const auto stored = environment_.userDefaults->boolValue(automaticCardImportKey)) {
        setAutomaticCardImportValue(*stored);
    }
}

void SyncController::readLoginItemState() {
    setLaunchAtLoginValue(environment_.loginItem && environment_.loginItem->isEnabled());
}

void SyncController::startWatchingVolumes() {
    if (!environment_.volumes) {
        return;
    }
    // Connections made with `this` as context end with the controller.
    workspaceObservers_.push_back(connect(environment_.volumes.get(), &VolumeSource::volumeMounted,
                                          this, [this] { handleVolumeMounted(); }));
    workspaceObservers_.push_back(connect(environment_.volumes.get(),
                                          &VolumeSource::volumeUnmounted, this,
                                          [this] { refreshDetectedCard(); }));
}

void SyncController::startPollingTimer() {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("cardPollingTimer"));
    timer_->setInterval(cardPollingIntervalMilliseconds);
    // A tick a little late costs nothing; a coarse timer lets the system batch wake-ups.
    timer_->setTimerType(Qt::CoarseTimer);
    connect(timer_, &QTimer::timeout, this, [this] { refreshDetectedCard(); });
    timer_->start();
}

QCoro::Task<> SyncController::handleVolumeMounted() {
    refreshDetectedCard();
    if (automaticCardImport_ && detectedCard_) {
        QPointer<SyncController> self(this);
        auto syncing = sync();
        co_await syncing;
        if (self) {
            notifyAutomaticSync();
        }
    }
}

bool SyncController::notificationsEnabled() const {
    const QVariant stored = environment_.userDefaults->value(notificationsKey);
    return !stored.isValid() || stored.toBool();
}

void SyncController::setNotificationsEnabled(bool enabled) {
    if (enabled == notificationsEnabled()) {
        return;
    }
    environment_.userDefaults->setValue(notificationsKey, enabled);
    Q_EMIT notificationsEnabledChanged();
}

void SyncController::notifyAutomaticSync() {
    if (!environment_.notifier || !notificationsEnabled()) {
        return;
    }
    if (status_.kind() == Status::Kind::success) {
        // The card's job is done: say it may go back where the nights are recorded.
        environment_.notifier->notify(
            QCoreApplication::translate("SyncController",
                                        "%1 : la carte peut retourner dans l’appareil.")
                .arg(status_.title()),
            canEjectCard());
    } else if (status_.kind() == Status::Kind::failed) {
        environment_.notifier->notify(
            QCoreApplication::translate("SyncController", "La synchronisation a échoué : %1")
                .arg(status_.failureText()),
            false);
    }
}

void SyncController::chooseCard() {
    if (!environment_.folderChooser) {
        return;
    }
    const auto folder = environment_.folderChooser->chooseFolder(
        QCoreApplication::translate("SyncController",
                                    "Sélectionner la carte SD de l’appareil de traitement"),
        QCoreApplication::translate(
            "SyncController",
            "Choisissez la racine de la carte, celle qui contient DATALOG et STR.edf."),
        removableMediaFolder(environment_.volumes ? environment_.volumes->mountedVolumes()
                                                  : std::vector<MountedVolume>{}));
    if (!folder) {
        return;
    }
    try {
        const QByteArray bookmark = environment_.bookmarks->createBookmark(*folder);
        environment_.userDefaults->setValue(cardBookmarkKey, bookmark);
        restoreCardAccess(bookmark);
    } catch (...) {
        setStatus(Status::failed(describeFailure(std::current_exception())));
        return;
    }
    sync();
}

void SyncController::restoreCardAccess(const QByteArray& bookmark) {
    const ResolvedCardBookmark resolved = environment_.bookmarks->resolveBookmark(bookmark);
    std::error_code error;
    if (!std::filesystem::exists(resolved.folder, error) ||
        !environment_.bookmarks->startAccessing(resolved.folder)) {
        throw PlatformError(fileReadNoPermissionCode,
                            localized("SyncController", "macOS n’a pas accordé l’accès à la "
                                                        "carte SD. Sélectionnez-la à nouveau."));
    }
    auto card = cardRegistry_.detectCard(resolved.folder);
    if (!card || !canReadCard(card->rootURL)) {
        environment_.bookmarks->stopAccessing(resolved.folder);
        throw PAPCardImportError::unsupported();
    }
    if (securityScopedCardURL_) {
        environment_.bookmarks->stopAccessing(*securityScopedCardURL_);
    }
    securityScopedCardURL_ = resolved.folder;
    const QString name = fromUtf8(card->displayName());
    setDetectedCard(std::move(card));
    setCardNeedsAccess(false);
    setStatus(Status::cardReady(name));
    if (resolved.isStale) {
        environment_.userDefaults->setValue(
            cardBookmarkKey, environment_.bookmarks->createBookmark(resolved.folder));
    }
}

void SyncController::refreshDetectedCard() {
    if (!automaticCardImport_) {
        return;
    }
    std::error_code error;
    if (securityScopedCardURL_ && !std::filesystem::exists(*securityScopedCardURL_, error)) {
        environment_.bookmarks->stopAccessing(*securityScopedCardURL_);
        securityScopedCardURL_.reset();
    }
    if (!securityScopedCardURL_) {
        const QByteArray bookmark = storedCardBookmark();
        if (!bookmark.isEmpty()) {
            try {
                restoreCardAccess(bookmark);
            } catch (...) {
                // The scan never reports: a card that is not there is simply not found.
            }
        }
    }

    std::optional<DetectedPAPCard> found;
    if (environment_.volumes) {
        for (const auto& volume : environment_.volumes->mountedVolumes()) {
            if (volume.isRemovable || volume.isEjectable) {
                found = cardRegistry_.detectCard(volume.rootURL);
                if (found) {
                    break;
                }
            }
        }
    }
    if (found == detectedCard_) {
        return;
    }
    const bool needsAccess = found && !canReadCard(found->rootURL);
    const QString name = found ? fromUtf8(found->displayName()) : QString();
    const bool hasCard = found.has_value();
    setDetectedCard(std::move(found));
    setCardNeedsAccess(needsAccess);
    if (!hasCard) {
        setStatus(Status::needsFolder());
    } else {
        setStatus(needsAccess ? Status::cardNeedsAccess(name) : Status::cardReady(name));
    }
}

bool SyncController::canEjectCard() const {
    if (!detectedCard_ || !environment_.volumes) {
        return false;
    }
    const auto volumes = environment_.volumes->mountedVolumes();
    return std::any_of(volumes.begin(), volumes.end(), [this](const MountedVolume& volume) {
        return volume.rootURL == detectedCard_->rootURL &&
               (volume.isRemovable || volume.isEjectable);
    });
}

QCoro::Task<> SyncController::runEject() {
    if (!canEjectCard() || status_.kind() == Status::Kind::syncing ||
        status_.kind() == Status::Kind::resetting) {
        co_return;
    }
    const std::shared_ptr<VolumeSource> volumes = environment_.volumes;
    std::filesystem::path root = detectedCard_->rootURL;
    QPointer<SyncController> self(this);
    std::string failure;
    try {
        QCoro::Task<> ejecting = volumes->eject(std::move(root));
        co_await ejecting;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    if (!self) {
        co_return;
    }
    if (!failure.empty()) {
        setStatus(Status::failed(QString::fromStdString(failure)));
        co_return;
    }
    // The volume's departure, once signalled, forgets the card; look now in case it was not.
    refreshDetectedCard();
}

void SyncController::setAutomaticCardImport(bool enabled) {
    setAutomaticCardImportValue(enabled);
    environment_.userDefaults->setValue(automaticCardImportKey, enabled);
    if (!enabled) {
        return;
    }
    refreshDetectedCard();
    if (detectedCard_) {
        sync();
    }
}

void SyncController::setLaunchAtLogin(bool enabled) {
    if (!environment_.loginItem) {
        return;
    }
    try {
        if (enabled) {
            environment_.loginItem->registerItem();
        } else {
            environment_.loginItem->unregisterItem();
        }
    } catch (...) {
        setStatus(Status::failed(
            QCoreApplication::translate("SyncController", "Ouverture de session : ") +
            describeFailure(std::current_exception())));
        return;
    }
    setLaunchAtLoginValue(enabled);
}

bool SyncController::adoptCardFolder(const std::filesystem::path& folder) {
    auto card = cardRegistry_.detectCard(folder);
    if (!card) {
        setStatus(Status::failed(fromUtf8(PAPCardImportError::unsupported().errorDescription())));
        return false;
    }
    const bool readable = canReadCard(card->rootURL);
    const QString name = fromUtf8(card->displayName());
    setDetectedCard(std::move(card));
    setCardNeedsAccess(!readable);
    setStatus(readable ? Status::cardReady(name) : Status::cardNeedsAccess(name));
    return true;
}

namespace {

// Sets the flag for as long as the operation runs, however it ends.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag)
        : flag_(flag) {
        flag_ = true;
    }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

// The merge of one sync, made on the worker.
struct MergeOutcome {
    std::shared_ptr<const EncodedSnapshot> snapshot;
    bool needsPayload = false;
    std::exception_ptr error;
};

// `withExport`: the store was just changed, so the local export's nights are kept as well as
// the new store's (which win for the same night).
QFuture<MergeOutcome> mergeOnWorker(std::shared_ptr<const OscarSnapshot> imported,
                                    PublishedSnapshot published, LocalExport localExport,
                                    std::string knownExport, bool withExport) {
    return QtConcurrent::run(
        QThreadPool::globalInstance(),
        [imported = std::move(imported), published = std::move(published),
         localExport = std::move(localExport), knownExport, withExport]() -> MergeOutcome {
            try {
                PreviousSnapshot previous =
                    choosePreviousSnapshot(published, localExport, knownExport);
                if (previous.needsPayload) {
                    return {nullptr, true, nullptr};
                }
                if (withExport && published.record && previous.snapshot) {
                    PreviousSnapshot exported =
                        choosePreviousSnapshot(PublishedSnapshot{}, localExport, std::string());
                    if (exported.snapshot) {
                        previous.snapshot = mergeSnapshots(std::move(*previous.snapshot),
                                                           std::move(exported.snapshot));
                    }
                }
                auto merged = std::make_shared<const EncodedSnapshot>(
                    EncodedSnapshot::of(mergeSnapshots(*imported, std::move(previous.snapshot))));
                return {std::move(merged), false, nullptr};
            } catch (...) {
                return {nullptr, false, std::current_exception()};
            }
        });
}

} // namespace

// A failure nobody expects (memory exhausted) must still end the run with a status, never leave
// it "syncing" for ever nor escape into the event loop that resumed us.
QCoro::Task<> SyncController::sync() {
    QPointer<SyncController> self(this);
    try {
        auto running = runSync();
        co_await running;
    } catch (...) {
        if (self) {
            setStatus(Status::failed(describeFailure(std::current_exception())));
        }
    }
}

namespace {

// What every failed reset shows before the failure's own text.
QString resetFailurePrefix() {
    return QCoreApplication::translate("SyncController", "Remise à zéro impossible : ");
}

} // namespace

QCoro::Task<> SyncController::reset() {
    QPointer<SyncController> self(this);
    try {
        auto running = runReset();
        co_await running;
    } catch (...) {
        if (self) {
            setStatus(
                Status::failed(resetFailurePrefix() + describeFailure(std::current_exception())));
        }
    }
}

QCoro::Task<> SyncController::runSync() {
    if (!detectedCard_) {
        setStatus(Status::needsFolder());
        co_return;
    }
    if (cardNeedsAccess_) {
        setStatus(Status::cardNeedsAccess(detectedCardName()));
        co_return;
    }
    // The flag, not only the status: a card scan may change the status while a run goes on.
    if (status_.kind() == Status::Kind::syncing || syncRunning_) {
        co_return;
    }
    const RunningFlag running(syncRunning_);
    setStatus(Status::syncing());

    // The run keeps working on its own copy of the card, whatever a scan sets meanwhile.
    const DetectedPAPCard card = *detectedCard_;
    QPointer<SyncController> self(this);
    const auto makeRegistry = environment_.makeRegistry;
    const LocalExport localExport = environment_.localExport;
    const std::shared_ptr<CloudSnapshotService> cloud = environment_.cloud;
    // Named, not a temporary of the co_await expression: g++ 12 destroys such temporaries twice.
    auto importing = QtConcurrent::run(QThreadPool::globalInstance(), [card, makeRegistry]() {
        try {
            return ImportOutcome{
                std::make_shared<const OscarSnapshot>(makeRegistry().importCard(card)), nullptr};
        } catch (...) {
            return ImportOutcome{nullptr, std::current_exception()};
        }
    });
    ImportOutcome imported = co_await importing;
    if (!self) {
        co_return;
    }
    if (imported.error) {
        setStatus(Status::failed(describeFailure(imported.error)));
        co_return;
    }

    // The history to keep is what the store holds now, whoever published it; the local export
    // stands in for it only when it is known to hold the same payload, or when the store holds
    // nothing readable.
    const QString knownTag = environment_.userDefaults->value(publishedChangeTagKey).toString();
    const std::string knownExport =
        environment_.userDefaults->value(publishedExportKey).toString().toStdString();
    const bool storeChanged =
        environment_.userDefaults->boolValue(CloudStoreChoice::storeChangedKey).value_or(false);
    PublishedSnapshot published;
    MergeOutcome merged;
    std::exception_ptr failure;
    // Once more without skipping the download when the export no longer holds our last payload.
    const std::array<QString, 2> skippedTags{knownTag, QString()};
    for (const QString& skippedTag : skippedTags) {
        try {
            auto fetching = cloud->fetchPublishedSnapshot(skippedTag);
            published = co_await fetching;
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self) {
            co_return;
        }
        if (failure) {
            break;
        }
        auto merging =
            mergeOnWorker(imported.snapshot, published, localExport, knownExport, storeChanged);
        merged = co_await merging;
        if (!self) {
            co_return;
        }
        failure = merged.error;
        if (failure || !merged.needsPayload) {
            break;
        }
    }
    if (failure || !merged.snapshot) {
        setStatus(Status::failed(
            failure ? describeFailure(failure)
                    : QCoreApplication::translate("SyncController",
                                                  "Les données publiées n’ont pas pu être lues.")));
        co_return;
    }

    // The save replaces only the version merged with; the export is written in the same turn of
    // the service, so that a reset queued meanwhile removes it after, never before.
    PublicationOutcome outcome;
    // The identity of the export file as written, handed back from the service's thread.
    const auto written = std::make_shared<std::string>();
    std::exception_ptr cloudFailure;
    try {
        const std::shared_ptr<const EncodedSnapshot> snapshot = merged.snapshot;
        std::function<void()> writeExport = [localExport, snapshot, written] {
            localExport.removeLeftovers();
            localExport.writeLocalExport(snapshot->json);
            *written = localExport.exportIdentity();
        };
        auto publishing =
            cloud->publishSnapshot(merged.snapshot, std::move(published), std::move(writeExport));
        outcome = co_await publishing;
    } catch (...) {
        cloudFailure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (cloudFailure) {
        // The local export keeps its previous content: both places stay in step.
        setStatus(Status::failed(describeFailure(cloudFailure)));
        co_return;
    }
    // The new store holds the whole history now.
    environment_.userDefaults->remove(CloudStoreChoice::storeChangedKey);
    if (outcome.followUpFailure) {
        // The export is not the store's payload: the next sync downloads it.
        environment_.userDefaults->remove(publishedChangeTagKey);
        environment_.userDefaults->remove(publishedExportKey);
        setStatus(Status::failed(describeFailure(outcome.followUpFailure)));
        co_return;
    }
    environment_.userDefaults->setValue(publishedChangeTagKey, outcome.changeTag);
    environment_.userDefaults->setValue(publishedExportKey, QString::fromStdString(*written));
    setLastSync(QDateTime::currentDateTimeUtc());
    setStatus(Status::success(merged.snapshot->nightCount));
}

QCoro::Task<> SyncController::runReset() {
    if (status_.kind() == Status::Kind::syncing || status_.kind() == Status::Kind::resetting ||
        syncRunning_ || resetRunning_) {
        co_return;
    }
    const RunningFlag running(resetRunning_);
    setStatus(Status::resetting());
    const QString prefix = resetFailurePrefix();

    QPointer<SyncController> self(this);
    std::exception_ptr failure;
    try {
        // The files go in the same turn of the service as the record, after it: nothing queued
        // there can write the export back in between.
        const LocalExport localExport = environment_.localExport;
        std::function<void()> removeFiles = [localExport] { localExport.removeFiles(); };
        auto deleting = environment_.cloud->deleteSnapshot(std::move(removeFiles));
        co_await deleting;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        setStatus(Status::failed(prefix + describeFailure(failure)));
        co_return;
    }
    environment_.userDefaults->remove(publishedChangeTagKey);
    environment_.userDefaults->remove(publishedExportKey);
    environment_.userDefaults->remove(legacyFolderBookmarkKey);
    environment_.userDefaults->remove(CloudStoreChoice::storeChangedKey);
    // What the imports kept of the cards holds the nights too.
    if (!environment_.importCacheFolder.empty()) {
        removeImportCaches(environment_.importCacheFolder);
    }
    setLastSync(QDateTime());
    setStatus(Status::resetComplete());
}

void SyncController::confirmReset() {
    // The question is asked whatever the status; reset itself refuses to overlap a run.
    if (environment_.resetConfirmation && environment_.resetConfirmation->confirmReset()) {
        reset();
    }
}

void SyncController::revealLocalExport() {
    std::error_code error;
    const auto file = environment_.localExport.snapshotFileURL();
    if (environment_.revealer && std::filesystem::is_regular_file(file, error)) {
        environment_.revealer->reveal(file);
    }
}

} // namespace velunora
