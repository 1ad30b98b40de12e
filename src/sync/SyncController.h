#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "cardimport/PAPCardImporter.h"
#include "sync/Status.h"
#include "sync/cloud/CloudStoreChoice.h"
#include "sync/publication/LocalExport.h"
#include "sync/publication/SnapshotPublication.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <vector>

namespace velunora {

class CardBookmarks;
class CloudSnapshotService;
class FileRevealer;
class FolderChooser;
class LoginItem;
class UserDefaults;
class VolumeSource;
class SyncNotifier;

// Builds the store that settings describe.
using StoreMaker = std::function<std::unique_ptr<CloudStore>(const UserDefaults&)>;

// Asks the user to confirm the erasure of the published data (the UI's alert). True when the
// user chose to erase.
class ResetConfirmation {
public:
    virtual ~ResetConfirmation() = default;
    virtual bool confirmReset() = 0;
};

// Everything the controller reaches outside itself; the app uses the standard one, tests their
// own.
struct SyncEnvironment {
    std::shared_ptr<UserDefaults> userDefaults;
    std::shared_ptr<CloudSnapshotService> cloud;
    LocalExport localExport{std::filesystem::path()};
    std::shared_ptr<FileRevealer> revealer;
    std::shared_ptr<ResetConfirmation> resetConfirmation;
    std::shared_ptr<FolderChooser> folderChooser;
    std::shared_ptr<CardBookmarks> bookmarks;
    // Nothing: no volume is watched (the command-line sync works on the folder it is given).
    std::shared_ptr<VolumeSource> volumes;
    std::shared_ptr<LoginItem> loginItem;
    // Nothing: no desktop notices (the command-line sync prints its outcome).
    std::shared_ptr<SyncNotifier> notifier;
    // Where the imports keep what they learn of each card, so that the next sync of a card reads
    // only what changed on it; empty: nothing is kept. The reset empties it.
    std::filesystem::path importCacheFolder;
    // Builds the importer registry that a sync runs on its worker thread.
    std::function<PAPCardImportRegistry()> makeRegistry = [] {
        return PAPCardImportRegistry::standard();
    };
    // What choosing another store reaches (the keyring, the browser); the user defaults, the
    // cloud service and the folder chooser above fill what it leaves empty.
    CloudStoreChoice::Services storeChoice;

    static SyncEnvironment standard();
};

// The one object holding the utility's working state: which card is there, whether it can be
// read, what the last sync did, and the two preferences. Lives on the main thread; every
// property notifies only when its value changes.
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
    // The local export's path, for the settings window.
    Q_PROPERTY(QString localExportPath READ localExportPath CONSTANT)

public:
    static inline const QString legacyFolderBookmarkKey = QStringLiteral("oscar-folder-bookmark");
    static inline const QString cardBookmarkKey = QStringLiteral("pap-card-bookmark");
    static inline const QString automaticCardImportKey = QStringLiteral("automatic-card-import");
    static inline const QString notificationsKey = QStringLiteral("sync-notifications");
    // The last successful sync, kept across launches: when, the nights published, the new ones.
    static inline const QString lastSyncKey = QStringLiteral("last-sync");
    static inline const QString lastSyncNightsKey = QStringLiteral("last-sync-nights");
    static inline const QString lastSyncNewNightsKey = QStringLiteral("last-sync-new-nights");
    // How often the mounted volumes are looked at, besides the mount notifications.
    static constexpr int cardPollingIntervalMilliseconds = 12000;

    // Runs the start-up sequence.
    explicit SyncController(SyncEnvironment environment, QObject* parent = nullptr);
    ~SyncController() override;

    // The process's controller, created on first use with the standard environment.
    static SyncController& shared();
    // Creates the process's controller with `environment` (the app adds its dialogs to the
    // standard one); when it exists already, returns it unchanged.
    static SyncController& createShared(SyncEnvironment environment);

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
    // Adopts the card behind stored bookmark bytes; throws when it cannot.
    void restoreCardAccess(const QByteArray& bookmark);
    // Looks at the mounted volumes and follows the card that comes or goes.
    Q_INVOKABLE void refreshDetectedCard();
    Q_INVOKABLE void setAutomaticCardImport(bool enabled);
    Q_INVOKABLE void setLaunchAtLogin(bool enabled);

    // The card folder whose access is held open, if any.
    const std::optional<std::filesystem::path>& securityScopedCardURL() const noexcept {
        return securityScopedCardURL_;
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
    void recordLastSync(const QDateTime& instant, qint64 nights, qint64 newNights);
    void readLastSync();
    // The card of the folder the user chose, while that folder is still there.
    std::optional<DetectedPAPCard> chosenCard() const;
    void setAutomaticCardImportValue(bool enabled);
    void setLaunchAtLoginValue(bool enabled);
    QByteArray storedCardBookmark() const;

    // The steps of start-up, in their order.
    void restoreStoredCardAccess();
    void readPreferences();
    void readLoginItemState();
    void startWatchingVolumes();
    void startPollingTimer();

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
    QTimer* timer_ = nullptr;
    CloudStoreChoice* storeChoice_ = nullptr;
    std::optional<std::filesystem::path> securityScopedCardURL_;
    std::vector<QMetaObject::Connection> workspaceObservers_;
    PAPCardImportRegistry cardRegistry_ = PAPCardImportRegistry::standard();
    // The store the settings describe, for the reset of those published into before.
    StoreMaker makeStore_;
};

// The text a failure shows the user: the error's localized description.
QString describeFailure(std::exception_ptr error);

// Routes the core's French texts through Qt's translation, once per process.
void installQtLocalization();

} // namespace velunora
