#include "sync/SyncController.h"

#include "cardimport/DeviceIdentification.h"
#include "cardimport/PAPCardImportError.h"
#include "nights/ImportCache.h"
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "sync/card/CardLocation.h"
#include "sync/card/FolderChooser.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/desktop/AutostartEntry.h"
#include "sync/desktop/FileRevealer.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/publication/PublishedStores.h"
#include "sync/volumes/CardWatch.h"
#include "sync/volumes/VolumeSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

namespace velunora {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::shared_ptr<CardLocations> cardLocationsOf(const SyncEnvironment& environment) {
    return environment.cardLocations
               ? environment.cardLocations
               : std::make_shared<CardLocations>(std::make_shared<SystemFileSystemLocator>());
}

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

// What every failed reset shows before the failure's own text.
QString resetFailurePrefix() {
    return QCoreApplication::translate("SyncController", "Remise à zéro impossible : ");
}

} // namespace

SyncController::SyncController(SyncEnvironment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment))
    , cardAccess_(environment_.settings, cardLocationsOf(environment_), environment_.volumes,
                  environment_.makeRegistry()) {
    CloudStoreChoice::Services choice = environment_.storeChoice;
    if (!choice.settings) {
        choice.settings = environment_.settings;
    }
    if (!choice.cloud) {
        choice.cloud = environment_.cloud;
    }
    if (!choice.folderChooser) {
        choice.folderChooser = environment_.folderChooser;
    }
    makeStore_ = choice.makeStore;
    storeChoice_ = new CloudStoreChoice(std::move(choice), this);
    history_ = new NightsHistory(this);
    if (environment_.showsPublishedNights) {
        history_->loadPublished(environment_.localExport);
    }
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
    // Start-up, in this order: what the last sync did, the card chosen before, the
    // preferences, then the watch over the volumes and a first look.
    if (const auto last = LastSync::read(*environment_.settings)) {
        lastSyncNights_ = last->nights;
        lastSyncNewNights_ = last->newNights;
        setLastSync(last->instant);
    }
    if (auto card = cardAccess_.openStoredCardFolder()) {
        followCard(*std::move(card), true);
    }
    // Anything but a stored Bool leaves the default on.
    if (const auto stored = environment_.settings->boolValue(automaticCardImportKey)) {
        setAutomaticCardImportValue(*stored);
    }
    setLaunchAtLoginValue(environment_.autostartEntry && environment_.autostartEntry->isEnabled());
    cardWatch_ = new CardWatch(environment_.volumes, this);
    connect(cardWatch_, &CardWatch::volumeMounted, this, [this] { handleVolumeMounted(); });
    connect(cardWatch_, &CardWatch::lookAgain, this, &SyncController::refreshDetectedCard);
    refreshDetectedCard();
}

SyncController::~SyncController() = default;

QString SyncController::localExportPath() const {
    return QFile::decodeName(environment_.localExport.snapshotFile().c_str());
}

void SyncController::setStatus(const Status& status) {
    if (status_ == status) {
        return;
    }
    status_ = status;
    // The one place every failure the user is shown passes: the log gets it too.
    if (status_.kind() == Status::Kind::failed) {
        qCWarning(lcSync).noquote() << status_.failureText();
    }
    Q_EMIT statusChanged();
}

QString SyncController::detectedCardName() const {
    return detectedCard_ ? fromUtf8(detectedCard_->displayName()) : QString();
}

QString SyncController::detectedCardPath() const {
    return detectedCard_ ? QString::fromStdString(detectedCard_->rootFolder.string()) : QString();
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

void SyncController::followCard(DetectedPAPCard card, bool readable) {
    const QString name = fromUtf8(card.displayName());
    setDetectedCard(std::move(card));
    setCardNeedsAccess(!readable);
    setStatus(readable ? Status::cardReady(name) : Status::cardNeedsAccess(name));
}

void SyncController::setLastSync(const QDateTime& instant) {
    if (lastSync_ == instant && lastSync_.isValid() == instant.isValid()) {
        return;
    }
    lastSync_ = instant;
    Q_EMIT lastSyncChanged();
}

void SyncController::recordLastSync(const LastSync& outcome) {
    outcome.write(*environment_.settings);
    lastSyncNights_ = outcome.nights;
    lastSyncNewNights_ = outcome.newNights;
    // Announced even when the instant is the same to the millisecond: the counts changed.
    lastSync_ = QDateTime();
    setLastSync(outcome.instant);
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

bool SyncController::notificationsEnabled() const {
    const QVariant stored = environment_.settings->value(notificationsKey);
    return !stored.isValid() || stored.toBool();
}

void SyncController::setNotificationsEnabled(bool enabled) {
    if (enabled == notificationsEnabled()) {
        return;
    }
    environment_.settings->setValue(notificationsKey, enabled);
    Q_EMIT notificationsEnabledChanged();
}

void SyncController::setAutomaticCardImport(bool enabled) {
    setAutomaticCardImportValue(enabled);
    environment_.settings->setValue(automaticCardImportKey, enabled);
    if (!enabled) {
        return;
    }
    refreshDetectedCard();
    if (detectedCard_) {
        sync();
    }
}

void SyncController::setLaunchAtLogin(bool enabled) {
    if (!environment_.autostartEntry) {
        return;
    }
    try {
        if (enabled) {
            environment_.autostartEntry->registerItem();
        } else {
            environment_.autostartEntry->unregisterItem();
        }
    } catch (...) {
        setStatus(Status::failed(
            QCoreApplication::translate("SyncController", "Ouverture de session : ") +
            describeFailure(std::current_exception())));
        return;
    }
    setLaunchAtLoginValue(enabled);
}

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

    QPointer<SyncController> self(this);
    PublicationResult published;
    std::exception_ptr failure;
    try {
        // The run works on its own copy of the card, whatever a scan sets meanwhile.
        auto syncing =
            syncCard(*detectedCard_, environment_.makeRegistry,
                     {environment_.settings, environment_.cloud, environment_.localExport},
                     QPointer<QObject>(this));
        published = co_await syncing;
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
    qCInfo(lcSync) << "synced:" << published.nightCount << "nights published,"
                   << published.newNights << "new, store written:" << published.written;
    // The sync does without the cache; said, so that the slower reading of the card has a cause.
    if (!environment_.importCacheFolder.empty() &&
        !mayHoldImportCaches(environment_.importCacheFolder)) {
        qCWarning(lcCard).noquote()
            << "the import cache is not used: the folder"
            << QString::fromStdString(environment_.importCacheFolder.string())
            << "belongs to another user, is a link, or others may write into it";
    }
    recordLastSync({QDateTime::currentDateTimeUtc(), published.nightCount, published.newNights});
    if (published.history) {
        history_->setSnapshot(std::move(published.history));
    }
    setStatus(Status::success(published.nightCount));
}

QCoro::Task<> SyncController::runReset() {
    if (status_.kind() == Status::Kind::syncing || status_.kind() == Status::Kind::resetting ||
        syncRunning_ || resetRunning_) {
        co_return;
    }
    const RunningFlag running(resetRunning_);
    setStatus(Status::resetting());

    QPointer<SyncController> self(this);
    std::vector<UnerasedStore> unerased;
    std::exception_ptr failure;
    try {
        auto erasing =
            eraseEveryCopy({environment_.settings, environment_.cloud, environment_.localExport,
                            makeStore_, environment_.importCacheFolder});
        unerased = co_await erasing;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        setStatus(Status::failed(resetFailurePrefix() + describeFailure(failure)));
        co_return;
    }
    lastSyncNights_ = 0;
    lastSyncNewNights_ = 0;
    setLastSync(QDateTime());
    QStringList unerasedTexts;
    for (const UnerasedStore& store : unerased) {
        qCWarning(lcPublication).noquote()
            << "reset: could not erase" << describeStore(store.store) << ":" << store.reason;
        unerasedTexts.append(QCoreApplication::translate("SyncController",
                                                         "les nuits publiées dans «\u00a0%1\u00a0» "
                                                         "n’ont pas pu être effacées (%2)")
                                 .arg(describeStore(store.store), store.reason));
    }
    if (!unerasedTexts.isEmpty()) {
        setStatus(Status::failed(resetFailurePrefix() + unerasedTexts.join(QStringLiteral(" ; "))));
        co_return;
    }
    history_->setSnapshot(nullptr);
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
    const auto file = environment_.localExport.snapshotFile();
    if (environment_.revealer && std::filesystem::is_regular_file(file, error)) {
        environment_.revealer->reveal(file);
    }
}

} // namespace velunora
