#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "cardimport/DeviceIdentification.h"
#include "cardimport/PAPCardImporter.h"
#include "sync/FailureText.h"
#include "sync/LastSync.h"
#include "sync/Status.h"
#include "sync/SyncRun.h"
#include "sync/card/CardAccess.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/history/NightsHistory.h"
#include "sync/publication/LocalExport.h"
#include "sync/publication/Reset.h"
#include "sync/publication/SnapshotPublication.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace velunora {

class CardLocations;
class CloudSnapshotService;
class FileRevealer;
class FolderChooser;
class AutostartEntry;
class Settings;
class VolumeSource;
class SyncNotifier;
class CardWatch;

// Asks the user to confirm the erasure of the published data (the UI's alert). True when the
// user chose to erase.
class ResetConfirmation {
public:
    virtual ~ResetConfirmation() = default;
    virtual bool confirmReset() = 0;
};

// Everything the controller reaches outside itself. Each program's composition root builds the
// real one; tests build theirs with fakes.
struct SyncEnvironment {
    std::shared_ptr<Settings> settings;
    std::shared_ptr<CloudSnapshotService> cloud;
    LocalExport localExport{std::filesystem::path()};
    std::shared_ptr<FileRevealer> revealer;
    std::shared_ptr<ResetConfirmation> resetConfirmation;
    std::shared_ptr<FolderChooser> folderChooser;
    std::shared_ptr<CardLocations> cardLocations;
    // Nothing: no volume is watched (the command-line sync works on the folder it is given).
    std::shared_ptr<VolumeSource> volumes;
    std::shared_ptr<AutostartEntry> autostartEntry;
    // Nothing: no desktop notices (the command-line sync prints its outcome).
    std::shared_ptr<SyncNotifier> notifier;
    // Where the imports keep what they learn of each card, so that the next sync of a card reads
    // only what changed on it; empty: nothing is kept. The reset empties it.
    std::filesystem::path importCacheFolder;
    // Whether the published nights are read back at start for the views (the command line
    // shows none).
    bool showsPublishedNights = true;
    // Builds the importer registry that a sync runs on its worker thread.
    RegistryMaker makeRegistry = [] { return PAPCardImportRegistry::standard(); };
    // Whether a detected card's files can be read, or the user must grant access first.
    std::function<bool(const std::filesystem::path&)> canReadCard = velunora::canReadCard;
    // What choosing another store reaches (the keyring, the browser); the user defaults, the
    // cloud service and the folder chooser above fill what it leaves empty.
    CloudStoreChoice::Services storeChoice;
};

// The one object holding the utility's working state: which card is there, whether it can be
// read, what the last sync did, and the preferences. It keeps the observable fields and the
// status transitions, and hands the work to others: finding the card (CardAccess), watching
// the volumes (CardWatch), the sync (syncCard), the reset (eraseEveryCopy). Lives on the main
// thread; every property notifies only when its value changes.
class SyncController : public QObject {
    Q_OBJECT
    Q_PROPERTY(velunora::Status status READ status NOTIFY statusChanged)
    Q_PROPERTY(bool hasDetectedCard READ hasDetectedCard NOTIFY detectedCardChanged)
    Q_PROPERTY(QString detectedCardName READ detectedCardName NOTIFY detectedCardChanged)
    Q_PROPERTY(QString detectedCardPath READ detectedCardPath NOTIFY detectedCardChanged)
    Q_PROPERTY(bool cardNeedsAccess READ cardNeedsAccess NOTIFY cardNeedsAccessChanged)
    // The detected card sits on a removable volume that can be ejected from here.
    Q_PROPERTY(bool canEjectCard READ canEjectCard NOTIFY detectedCardChanged)
    Q_PROPERTY(QDateTime lastSync READ lastSync NOTIFY lastSyncChanged)
    Q_PROPERTY(bool hasLastSync READ hasLastSync NOTIFY lastSyncChanged)
    // What the last sync published and brought: "412 nuits synchronisées, dont 1 nouvelle".
    Q_PROPERTY(QString lastSyncSummary READ lastSyncSummary NOTIFY lastSyncChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool automaticCardImport READ automaticCardImport NOTIFY automaticCardImportChanged)
    // Whether a sync the user did not start (a card inserted) ends with a desktop notice.
    Q_PROPERTY(
        bool notificationsEnabled READ notificationsEnabled NOTIFY notificationsEnabledChanged)
    // Where the nights go, for the settings window and the texts that depend on it.
    Q_PROPERTY(velunora::CloudStoreChoice* storeChoice READ storeChoice CONSTANT)
    // The published nights, for the panel's last night and the history window.
    Q_PROPERTY(velunora::NightsHistory* history READ history CONSTANT)
    // The local export's path, for the settings window.
    Q_PROPERTY(QString localExportPath READ localExportPath CONSTANT)

public:
    static inline const QString automaticCardImportKey = QStringLiteral("automatic-card-import");
    static inline const QString notificationsKey = QStringLiteral("sync-notifications");

    // Runs the start-up sequence.
    explicit SyncController(SyncEnvironment environment, QObject* parent = nullptr);
    ~SyncController() override;

    const Status& status() const noexcept { return status_; }
    void setStatus(const Status& status);
    const std::optional<DetectedPAPCard>& detectedCard() const noexcept { return detectedCard_; }
    bool hasDetectedCard() const noexcept { return detectedCard_.has_value(); }
    QString detectedCardName() const;
    // The card's root folder, for the panel.
    QString detectedCardPath() const;
    bool cardNeedsAccess() const noexcept { return cardNeedsAccess_; }
    bool canEjectCard() const;
    QDateTime lastSync() const { return lastSync_; }
    bool hasLastSync() const { return lastSync_.isValid(); }
    QString lastSyncSummary() const;
    bool launchAtLogin() const noexcept { return launchAtLogin_; }
    bool automaticCardImport() const noexcept { return automaticCardImport_; }
    bool notificationsEnabled() const;
    Q_INVOKABLE void setNotificationsEnabled(bool enabled);
    const LocalExport& localExport() const noexcept { return environment_.localExport; }
    QString localExportPath() const;
    CloudStoreChoice* storeChoice() const noexcept { return storeChoice_; }
    NightsHistory* history() const noexcept { return history_; }

    // One synchronisation: import off the main thread, merge with what the store holds (or the
    // local export when it holds nothing readable), save in place of that version, then the
    // local export. The outcome is left in `status` and `lastSync`.
    QCoro::Task<> sync();

    // Erases the cloud record and the local export (never the card).
    QCoro::Task<> reset();
    // Asks first; erases only when the user confirms.
    Q_INVOKABLE void confirmReset();

    // Shows the local export in the file browser; nothing when there is none.
    Q_INVOKABLE void revealLocalExport();

    // Adopts the card in `folder`, as the command-line sync does with the folder it is given.
    // False when the folder is no supported card (the status then says so).
    bool adoptCardFolder(const std::filesystem::path& folder);

    Q_INVOKABLE void startSync() { sync(); }

    // With automatic import on, syncs the detected card and then tells the desktop how it went,
    // as for a card just inserted; nothing otherwise. A mount runs it, and so does the app once
    // it is up, for the card that was already in the reader (or chosen before).
    QCoro::Task<> syncInsertedCard();

    // Lets the user pick the card folder, keeps it, adopts the card and starts a sync.
    Q_INVOKABLE void chooseCard();
    // Unmounts the detected card and powers its reader off, so that it can go back into the
    // device; never while a sync or a reset reads or writes. A failure is left in `status`.
    Q_INVOKABLE void ejectCard() { runEject(); }
    QCoro::Task<> runEject();
    // Adopts the card in the folder a saved location names; throws when it cannot.
    void openSavedCardFolder(const QByteArray& savedLocation);
    // Looks at the mounted volumes and follows the card that comes or goes.
    Q_INVOKABLE void refreshDetectedCard();
    Q_INVOKABLE void setAutomaticCardImport(bool enabled);
    Q_INVOKABLE void setLaunchAtLogin(bool enabled);

    // The card folder the user chose whose access is held open, if any.
    const std::optional<std::filesystem::path>& chosenCardFolder() const noexcept {
        return cardAccess_.chosenCardFolder();
    }

Q_SIGNALS:
    void statusChanged();
    void detectedCardChanged();
    void cardNeedsAccessChanged();
    void lastSyncChanged();
    void launchAtLoginChanged();
    void automaticCardImportChanged();
    void notificationsEnabledChanged();

private:
    void setDetectedCard(std::optional<DetectedPAPCard> card);
    void setCardNeedsAccess(bool needsAccess);
    void setLastSync(const QDateTime& instant);
    // A successful sync's outcome, shown and kept for the next launch.
    void recordLastSync(const LastSync& outcome);
    // Follows `card`, readable or not, with the status that says so.
    void followCard(DetectedPAPCard card, bool readable);
    void setAutomaticCardImportValue(bool enabled);
    void setLaunchAtLoginValue(bool enabled);

    QCoro::Task<> handleVolumeMounted();
    // The desktop notice after a sync that a card's insertion started.
    void notifyAutomaticSync();
    // The bodies of sync() and reset(), which turn whatever escapes them into a status.
    QCoro::Task<> runSync();
    QCoro::Task<> runReset();

    SyncEnvironment environment_;
    Status status_;
    std::optional<DetectedPAPCard> detectedCard_;
    bool cardNeedsAccess_ = false;
    QDateTime lastSync_;
    qint64 lastSyncNights_ = 0;
    qint64 lastSyncNewNights_ = 0;
    bool launchAtLogin_ = false;
    bool automaticCardImport_ = true;
    // A sync or a reset under way, whatever the status shows meanwhile.
    bool syncRunning_ = false;
    bool resetRunning_ = false;
    CloudStoreChoice* storeChoice_ = nullptr;
    NightsHistory* history_ = nullptr;
    CardAccess cardAccess_;
    CardWatch* cardWatch_ = nullptr;
    // The store the settings describe, for the reset of those published into before.
    StoreMaker makeStore_;
};

} // namespace velunora
