#include "ui/preview/PreviewSession.h"

#include "cardimport/ResMedCardImporter.h"
#include "sync/LastSync.h"
#include "sync/Settings.h"
#include "sync/card/CardAccess.h"
#include "sync/card/CardLocation.h"
#include "sync/card/FolderChooser.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudStoreFactory.h"
#include "sync/cloud/memory/MemoryCloudStore.h"
#include "sync/desktop/AutostartEntry.h"
#include "sync/desktop/FileRevealer.h"
#include "sync/volumes/VolumeSource.h"
#include "tools/CardGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <mutex>
#include <qcoro/qcorosignal.h>
#include <stdexcept>

namespace velunora::preview {

namespace fs = std::filesystem;

namespace {

class PreviewVolumes final : public VolumeSource {
public:
    std::vector<MountedVolume> volumes;
    int ejections = 0;
    std::function<void()> onCall;

    std::vector<MountedVolume> mountedVolumes() const override { return volumes; }
    // Recorded only: the card stays, as a reader that the user has not emptied yet.
    QCoro::Task<> eject(fs::path) override {
        ++ejections;
        onCall();
        co_return;
    }
};

// Recognises the card mounted at the mount point as the generated card it stands for, and the
// generated card's own folder when the user chose it.
class MountedCardImporter final : public PAPCardImporter {
public:
    MountedCardImporter(fs::path mountPoint, fs::path cardFolder)
        : mountPoint_(std::move(mountPoint))
        , cardFolder_(std::move(cardFolder)) {}

    std::optional<DetectedPAPCard> detect(const fs::path& rootFolder) const override {
        if (rootFolder == cardFolder_) {
            return resMed_.detect(cardFolder_);
        }
        if (rootFolder != mountPoint_) {
            return std::nullopt;
        }
        auto card = resMed_.detect(cardFolder_);
        if (card) {
            card->rootFolder = mountPoint_;
        }
        return card;
    }

    OscarSnapshot importCard(const DetectedPAPCard& card) const override {
        DetectedPAPCard generated = card;
        generated.rootFolder = cardFolder_;
        return resMed_.importCard(generated);
    }

private:
    fs::path mountPoint_;
    fs::path cardFolder_;
    ResMedCardImporter resMed_;
};

class RecordingFolderChooser final : public FolderChooser {
public:
    int calls = 0;
    std::function<void()> onCall;
    // Cancelled, so that nothing else changes.
    std::optional<fs::path> chooseFolder(const QString&, const QString&, const fs::path&) override {
        ++calls;
        onCall();
        return std::nullopt;
    }
};

class RecordingAutostartEntry final : public AutostartEntry {
public:
    bool enabled = false;
    bool refuses = false;
    QStringList requests;
    std::function<void()> onCall;

    bool isEnabled() const override { return enabled; }
    void registerItem() override { change(QStringLiteral("register"), true); }
    void unregisterItem() override { change(QStringLiteral("unregister"), false); }

private:
    void change(const QString& request, bool to) {
        requests.append(request);
        onCall();
        if (refuses) {
            throw std::runtime_error("Le service de session refuse.");
        }
        enabled = to;
    }
};

class RecordingRevealer final : public FileRevealer {
public:
    int reveals = 0;
    std::function<void()> onCall;
    void reveal(const fs::path&) override {
        ++reveals;
        onCall();
    }
};

class AnsweringConfirmation final : public ResetConfirmation {
public:
    bool answer = true;
    int questions = 0;
    std::function<void()> onCall;
    bool confirmReset() override {
        ++questions;
        onCall();
        return answer;
    }
};

// Signed in when it holds a token.
// Read off the main thread, as the keyring is.
class MemoryTokens final : public WebAuthTokens {
public:
    QString current() override {
        std::lock_guard lock(mutex_);
        return token_;
    }
    bool replace(const QString& value) override {
        std::lock_guard lock(mutex_);
        token_ = value;
        return true;
    }
    void forget() override { replace(QString()); }

private:
    std::mutex mutex_;
    QString token_;
};

// The sign-in as the service runs it, without the service: the page opens in the browser, and
// whatever account the user signs in to there comes back when the browser returns.
QCoro::Task<QString> signInThroughBrowser(std::shared_ptr<PreviewBrowser> browser,
                                          std::shared_ptr<WebAuthTokens> tokens,
                                          std::function<void(const QUrl&)> openPage) {
    auto returned = qCoro(browser.get(), &PreviewBrowser::returned);
    openPage(QUrl(QStringLiteral("https://www.icloud.com/preview-sign-in")));
    QString accountName = co_await returned;
    tokens->replace(QStringLiteral("preview-session"));
    co_return accountName;
}

fs::path pathOf(const QString& folder) {
    return fs::path(QFile::encodeName(folder).toStdString());
}

// The card in a USB reader, which the panel can eject.
MountedVolume cardReader() {
    return {pathOf(PreviewSession::cardMountPoint), "RESMED-SD", true, true};
}

} // namespace

struct PreviewFakes {
    std::shared_ptr<MemorySettings> settings = std::make_shared<MemorySettings>();
    // Shared by every store the session makes, so that choosing another store keeps what was
    // published.
    std::shared_ptr<MemoryCloudStore::Shared> published =
        std::make_shared<MemoryCloudStore::Shared>();
    std::shared_ptr<PreviewVolumes> volumes = std::make_shared<PreviewVolumes>();
    std::shared_ptr<RecordingFolderChooser> folderChooser =
        std::make_shared<RecordingFolderChooser>();
    std::shared_ptr<RecordingAutostartEntry> autostartEntry =
        std::make_shared<RecordingAutostartEntry>();
    std::shared_ptr<RecordingRevealer> revealer = std::make_shared<RecordingRevealer>();
    std::shared_ptr<AnsweringConfirmation> confirmation = std::make_shared<AnsweringConfirmation>();
    std::shared_ptr<MemoryTokens> tokens = std::make_shared<MemoryTokens>();
    std::shared_ptr<PreviewBrowser> browser = std::make_shared<PreviewBrowser>();
    int signInPages = 0;
    // Written off the main thread, as the keyring is.
    mutable std::mutex keptPasswordsMutex;
    QStringList keptPasswords;
    bool cardReadable = true;
};

PreviewSession::PreviewSession(QObject* parent)
    : QObject(parent)
    , fakes_(std::make_shared<PreviewFakes>()) {}

PreviewSession::~PreviewSession() {
    // The controller goes first: it may still be reading the fakes.
    delete controller_;
}

void PreviewSession::start() {
    if (controller_ != nullptr) {
        return;
    }
    PreviewFakes& fakes = *fakes_;
    const auto record = [this] { Q_EMIT recorded(); };
    fakes.folderChooser->onCall = record;
    fakes.autostartEntry->onCall = record;
    fakes.revealer->onCall = record;
    fakes.confirmation->onCall = record;
    fakes.volumes->onCall = record;

    // What the settings file would hold: the store, a container for iCloud, the last sync.
    Settings& settings = *fakes.settings;
    settings.setValue(cloudsettings::folderKey.toString(),
                      localStoreFolder_.isEmpty() ? folder_.filePath(QStringLiteral("store"))
                                                  : localStoreFolder_);
    settings.setValue(cloudsettings::iCloudContainerKey.toString(),
                      QStringLiteral("iCloud.org.velunora.Sync"));
    settings.setValue(cloudsettings::iCloudEnvironmentKey.toString(),
                      QStringLiteral("development"));
    settings.setValue(cloudsettings::iCloudAPITokenKey.toString(), QStringLiteral("preview"));
    if (store_ == QStringLiteral("webdav")) {
        settings.setValue(cloudsettings::storeKey.toString(),
                          cloudsettings::webDAVStore.toString());
        settings.setValue(
            cloudsettings::webDAVURLKey.toString(),
            QStringLiteral("https://cloud.example.org/remote.php/dav/files/camille/Velunora"));
        settings.setValue(cloudsettings::webDAVUserKey.toString(), QStringLiteral("camille"));
    } else if (store_ == QStringLiteral("icloud")) {
        settings.setValue(cloudsettings::storeKey.toString(),
                          cloudsettings::iCloudStore.toString());
        settings.setValue(CloudStoreChoice::iCloudAccountNameKey, QStringLiteral("Camille Martin"));
        fakes.tokens->replace(QStringLiteral("preview-session"));
    }
    if (lastSync_.isValid()) {
        LastSync{lastSync_, lastSyncNights_, lastSyncNewNights_}.write(settings);
    }

    // A small generated card, seen at the mount point.
    const fs::path cardFolder = pathOf(folder_.filePath(QStringLiteral("card")));
    cardgen::CardGeneratorOptions options;
    options.nights = 2;
    options.seed = 11;
    cardgen::generateCard(cardFolder, options);
    const fs::path mountPoint = pathOf(cardMountPoint);
    if (cardInserted_) {
        fakes.volumes->volumes.push_back(cardReader());
    }
    if (cardFolderChosen_) {
        settings.setValue(
            CardAccess::savedCardFolderKey,
            CardLocations(std::make_shared<SystemFileSystemLocator>()).saveLocation(cardFolder));
    }

    SyncEnvironment environment;
    environment.settings = fakes.settings;
    environment.cloud =
        std::make_shared<CloudSnapshotService>(std::make_unique<MemoryCloudStore>(fakes.published));
    environment.localExport = LocalExport(
        pathOf(dataFolder_.isEmpty() ? folder_.filePath(QStringLiteral("data")) : dataFolder_));
    environment.revealer = fakes.revealer;
    environment.resetConfirmation = fakes.confirmation;
    environment.folderChooser = fakes.folderChooser;
    environment.volumes = fakes.volumes;
    environment.autostartEntry = fakes.autostartEntry;
    environment.makeRegistry = [mountPoint, cardFolder] {
        return PAPCardImportRegistry(
            {std::make_shared<const MountedCardImporter>(mountPoint, cardFolder)});
    };
    environment.canReadCard = [fakes = fakes_](const fs::path&) { return fakes->cardReadable; };
    CloudStoreChoice::Services& choice = environment.storeChoice;
    choice.makeStore = [published =
                            fakes.published](const Settings&) -> std::unique_ptr<CloudStore> {
        return std::make_unique<MemoryCloudStore>(published);
    };
    choice.keepWebDAVPassword = [fakes = fakes_, self = QPointer<PreviewSession>(this)](
                                    const WebDAVAccount& account, const QString& password) {
        // Kept before the call returns, as a keyring keeps it; announced on the main thread.
        {
            std::lock_guard lock(fakes->keptPasswordsMutex);
            fakes->keptPasswords.append(account.baseUrl.toString() + u':' + account.user + u':' +
                                        password);
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self] {
            if (self) {
                Q_EMIT self->recorded();
            }
        });
    };
    choice.iCloudTokens = [tokens = fakes.tokens](const CloudKitContainer&) { return tokens; };
    choice.openPage = [fakes = fakes_, record](const QUrl&) {
        ++fakes->signInPages;
        record();
    };
    choice.iCloudSignIn = [browser = fakes.browser](const CloudKitContainer&,
                                                    std::shared_ptr<WebAuthTokens> tokens,
                                                    std::function<void(const QUrl&)> openPage) {
        return signInThroughBrowser(browser, std::move(tokens), std::move(openPage));
    };
    controller_ = new SyncController(std::move(environment));
    // Whether iCloud is signed in is read from the keyring, as when a window opens.
    controller_->storeChoice()->refresh();
    Q_EMIT started();
}

bool PreviewSession::cardReadable() const {
    return fakes_->cardReadable;
}

void PreviewSession::setCardReadable(bool readable) {
    fakes_->cardReadable = readable;
}

bool PreviewSession::refusesLaunchAtLogin() const {
    return fakes_->autostartEntry->refuses;
}

void PreviewSession::setRefusesLaunchAtLogin(bool refuses) {
    fakes_->autostartEntry->refuses = refuses;
}

bool PreviewSession::confirmsReset() const {
    return fakes_->confirmation->answer;
}

void PreviewSession::setConfirmsReset(bool confirms) {
    fakes_->confirmation->answer = confirms;
}

void PreviewSession::lookAgain() {
    if (controller_ != nullptr) {
        controller_->refreshDetectedCard();
    }
}

void PreviewSession::showStatus(const QString& kindName, const QString& failureText,
                                qint64 nights) {
    const QString card = controller_->detectedCardName();
    Status status;
    if (kindName == QStringLiteral("cardNeedsAccess")) {
        status = Status::cardNeedsAccess(card);
    } else if (kindName == QStringLiteral("cardReady")) {
        status = Status::cardReady(card);
    } else if (kindName == QStringLiteral("success")) {
        status = Status::success(nights);
    } else if (kindName == QStringLiteral("failed")) {
        status = Status::failed(failureText);
    } else if (kindName == QStringLiteral("syncing")) {
        status = Status::syncing();
    } else if (kindName == QStringLiteral("resetting")) {
        status = Status::resetting();
    } else if (kindName == QStringLiteral("resetComplete")) {
        status = Status::resetComplete();
    }
    controller_->setStatus(status);
}

void PreviewSession::grantCardAccess() {
    fakes_->cardReadable = true;
    // The controller follows a card it already knows without reading it again: out and back.
    const auto volumes = fakes_->volumes->volumes;
    fakes_->volumes->volumes.clear();
    lookAgain();
    fakes_->volumes->volumes = volumes;
    lookAgain();
}

void PreviewSession::removeCard() {
    fakes_->volumes->volumes.clear();
    lookAgain();
}

void PreviewSession::insertCard() {
    removeCard();
    fakes_->volumes->volumes.push_back(cardReader());
    lookAgain();
}

void PreviewSession::showStoreOutcome(const QString& text, bool failure) {
    controller_->storeChoice()->setOutcome(text, failure);
}

QVariant PreviewSession::setting(const QString& key) const {
    return fakes_->settings->value(key);
}

void PreviewSession::returnFromSignIn(const QString& accountName) {
    Q_EMIT fakes_->browser->returned(accountName);
}

int PreviewSession::signInPages() const {
    return fakes_->signInPages;
}

int PreviewSession::folderChoices() const {
    return fakes_->folderChooser->calls;
}

QStringList PreviewSession::autostartRequests() const {
    return fakes_->autostartEntry->requests;
}

int PreviewSession::reveals() const {
    return fakes_->revealer->reveals;
}

int PreviewSession::ejections() const {
    return fakes_->volumes->ejections;
}

int PreviewSession::resetQuestions() const {
    return fakes_->confirmation->questions;
}

QStringList PreviewSession::keptWebDAVPasswords() const {
    std::lock_guard lock(fakes_->keptPasswordsMutex);
    return fakes_->keptPasswords;
}

int PreviewSession::storeSaves() const {
    std::lock_guard lock(fakes_->published->mutex);
    return fakes_->published->saves;
}

} // namespace velunora::preview

namespace velunora::preview {

void PreviewSession::publishNights(int nights) {
    if (controller_ == nullptr || nights <= 0) {
        return;
    }
    const fs::path card = fs::path(folder_.path().toStdString()) / "published-card";
    fs::remove_all(card);
    cardgen::CardGeneratorOptions options;
    options.nights = nights;
    options.seed = 7;
    options.variedUse = true;
    cardgen::generateCard(card, options);
    const PAPCardImportRegistry registry = PAPCardImportRegistry::standard();
    const std::optional<DetectedPAPCard> detected = registry.detectCard(card);
    if (!detected) {
        return;
    }
    controller_->history()->setSnapshot(
        std::make_shared<const OscarSnapshot>(registry.importCard(*detected)));
}

} // namespace velunora::preview
