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
#include "sync/desktop/FileRevealer.h"
#include "sync/desktop/LoginItem.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/publication/PublishedStores.h"
#include "sync/publication/SnapshotPublication.h"
#include "sync/volumes/VolumeSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent>
#include <algorithm>
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
    makeStore_ = choice.makeStore;
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
    readLastSync();
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

void SyncController::recordLastSync(const QDateTime& instant, qint64 nights, qint64 newNights) {
    environment_.userDefaults->setValue(lastSyncKey, instant.toString(Qt::ISODateWithMs));
    environment_.userDefaults->setValue(lastSyncNightsKey, nights);
    environment_.userDefaults->setValue(lastSyncNewNightsKey, newNights);
    lastSyncNights_ = nights;
    lastSyncNewNights_ = newNights;
    // Announced even when the instant is the same to the millisecond: the counts changed.
    lastSync_ = QDateTime();
    setLastSync(instant);
}

void SyncController::readLastSync() {
    const QDateTime instant = QDateTime::fromString(
        environment_.userDefaults->value(lastSyncKey).toString(), Qt::ISODateWithMs);
    bool nightsRead = false;
    bool newNightsRead = false;
    const qint64 nights =
        environment_.userDefaults->value(lastSyncNightsKey).toLongLong(&nightsRead);
    const qint64 newNights =
        environment_.userDefaults->value(lastSyncNewNightsKey).toLongLong(&newNightsRead);
    // A settings file edited by hand into nonsense is as good as none.
    if (!instant.isValid() || !nightsRead || !newNightsRead || nights < 0 || newNights < 0 ||
        newNights > nights) {
        return;
    }
    lastSyncNights_ = nights;
    lastSyncNewNights_ = newNights;
    setLastSync(instant.toUTC());
}

QString SyncController::lastSyncSummary() const {
    return lastSync_.isValid() ? describeSyncOutcome(lastSyncNights_, lastSyncNewNights_)
                               : QString();
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

QCoro::Task<> SyncController::syncInsertedCard() {
    if (automaticCardImport_ && detectedCard_) {
        QPointer<SyncController> self(this);
        auto syncing = sync();
        co_await syncing;
        if (self) {
            notifyAutomaticSync();
        }
    }
}

QCoro::Task<> SyncController::handleVolumeMounted() {
    refreshDetectedCard();
    auto syncing = syncInsertedCard();
    co_await syncing;
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
                .arg(lastSyncSummary()),
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
    // No card inserted: the one the user chose by hand stays, as long as its folder is there.
    if (!found) {
        found = chosenCard();
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

std::optional<DetectedPAPCard> SyncController::chosenCard() const {
    if (!securityScopedCardURL_) {
        return std::nullopt;
    }
    // The card already followed needs no second look at its identification files.
    if (detectedCard_ && detectedCard_->rootURL == *securityScopedCardURL_) {
        return detectedCard_;
    }
    return cardRegistry_.detectCard(*securityScopedCardURL_);
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

// Deletes the record from the store the settings describe; the failure's text, if any (a store
// that holds no record is erased already).
std::optional<QString> eraseRecordIn(const QVariantMap& settings, const StoreMaker& makeStore) {
    try {
        MemoryUserDefaults described;
        for (auto entry = settings.begin(); entry != settings.end(); ++entry) {
            described.setValue(entry.key(), entry.value());
        }
        makeStore(described)->deleteRecord(CloudSnapshotService::recordName);
    } catch (const CloudError& error) {
        if (error.code() != cloudcode::unknownItem) {
            return error.localizedDescription();
        }
    } catch (...) {
        return describeFailure(std::current_exception());
    }
    return std::nullopt;
}

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
    // Named, not a temporary of the co_await expression: g++ 12 destroys such temporaries twice.
    auto importing = QtConcurrent::run(QThreadPool::globalInstance(), [card, makeRegistry]() {
        try {
            return ImportOutcome{
                std::make_shared<const OscarSnapshot>(makeRegistry().importCard(card)), nullptr};
        } catch (...) {
            return ImportOutcome{nullptr, std::current_exception()};
        }
    });
    // What the store holds is read while the card is: the morning waits for the slower alone.
    const PublicationPlaces places{environment_.userDefaults, environment_.cloud,
                                   environment_.localExport};
    auto reading = readPublishedHistory(places);
    ImportOutcome imported = co_await importing;
    PublishedHistory history;
    std::exception_ptr failure;
    try {
        history = co_await reading;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    // The card's failure comes first: it is what the user can mend.
    if (imported.error || failure) {
        setStatus(Status::failed(describeFailure(imported.error ? imported.error : failure)));
        co_return;
    }

    PublicationResult published;
    try {
        auto publishing = publishImportedSnapshot(places, imported.snapshot, std::move(history));
        published = co_await publishing;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        setStatus(Status::failed(describeFailure(failure)));
        co_return;
    }
    recordLastSync(QDateTime::currentDateTimeUtc(), published.nightCount, published.newNights);
    setStatus(Status::success(published.nightCount));
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
    // The stores published into before the one chosen now hold copies too, and so what each of
    // them could not erase is told.
    const QVariantMap current = currentStoreSettings(*environment_.userDefaults);
    std::vector<QVariantMap> earlierStores;
    for (QVariantMap& store : publishedStores(*environment_.userDefaults)) {
        if (!sameStore(store, current)) {
            earlierStores.push_back(std::move(store));
        }
    }
    const auto unerased = std::make_shared<std::vector<std::pair<QVariantMap, QString>>>();
    try {
        // The files go in the same turn of the service as the record, after it: nothing queued
        // there can write the export back in between.
        const LocalExport localExport = environment_.localExport;
        std::function<void()> removeCopies = [localExport, earlierStores, makeStore = makeStore_,
                                              unerased] {
            for (const QVariantMap& store : earlierStores) {
                if (auto notErased = eraseRecordIn(store, makeStore)) {
                    unerased->emplace_back(store, *notErased);
                }
            }
            localExport.removeFiles();
        };
        auto deleting = environment_.cloud->deleteSnapshot(std::move(removeCopies));
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
    environment_.userDefaults->remove(lastSyncKey);
    environment_.userDefaults->remove(lastSyncNightsKey);
    environment_.userDefaults->remove(lastSyncNewNightsKey);
    environment_.userDefaults->remove(legacyFolderBookmarkKey);
    environment_.userDefaults->remove(CloudStoreChoice::storeChangedKey);
    // What the imports kept of the cards holds the nights too.
    if (!environment_.importCacheFolder.empty()) {
        removeImportCaches(environment_.importCacheFolder);
    }
    lastSyncNights_ = 0;
    lastSyncNewNights_ = 0;
    setLastSync(QDateTime());
    std::vector<QVariantMap> kept;
    QStringList unerasedTexts;
    for (const auto& [store, text] : *unerased) {
        kept.push_back(store);
        unerasedTexts.append(QCoreApplication::translate("SyncController",
                                                         "les nuits publiées dans «\u00a0%1\u00a0» "
                                                         "n’ont pas pu être effacées (%2)")
                                 .arg(describeStore(store), text));
    }
    // Those not erased stay listed, for the next reset.
    setPublishedStores(*environment_.userDefaults, kept);
    if (!unerasedTexts.isEmpty()) {
        setStatus(Status::failed(prefix + unerasedTexts.join(QStringLiteral(" ; "))));
        co_return;
    }
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
