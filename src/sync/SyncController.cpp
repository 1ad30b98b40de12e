#include "sync/SyncController.h"

#include "cardimport/DeviceIdentification.h"
#include "cardimport/PAPCardImportError.h"
#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"
#include "sync/CloudSnapshotService.h"
#include "sync/CloudStore.h"
#include "sync/FileRevealer.h"
#include "sync/SnapshotMerge.h"
#include "sync/UserDefaults.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent>
#include <qcoro/qcorofuture.h>

namespace velunora {
namespace {

// What the worker hands back: the card's snapshot, or the failure it met.
struct ImportOutcome {
    std::optional<OscarSnapshot> snapshot;
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
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("SyncController",
                                           "La m\u00e9moire disponible ne suffit pas.");
    } catch (const std::exception& failure) {
        return fromUtf8(failure.what());
    } catch (...) {
        return QCoreApplication::translate("SyncController", "Une erreur inconnue est survenue.");
    }
}

void installQtLocalization() {
    installLocalizer([](std::string_view frenchText) {
        const std::string key(frenchText);
        return QCoreApplication::translate("Velunora", key.c_str()).toStdString();
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
    return environment;
}

SyncController::SyncController(SyncEnvironment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment)) {
    restoreStoredCardAccess();
    readPreferences();
    readLoginItemState();
    startWatchingVolumes();
    refreshDetectedCard();
}

SyncController::~SyncController() = default;

SyncController& SyncController::shared() {
    // Created on first use by the app or the command-line sync, kept for the whole run.
    static SyncController* controller = [] {
        installQtLocalization();
        return new SyncController(SyncEnvironment::standard(), QCoreApplication::instance());
    }();
    return *controller;
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

void SyncController::setAutomaticCardImport(bool enabled) {
    if (automaticCardImport_ == enabled) {
        return;
    }
    automaticCardImport_ = enabled;
    Q_EMIT automaticCardImportChanged();
}

void SyncController::restoreStoredCardAccess() {
    // Card bookmarks come with card access; nothing is stored before that.
}

void SyncController::readPreferences() {
    const QVariant stored = environment_.userDefaults->value(automaticCardImportKey);
    // Anything but a stored Bool leaves the default on.
    if (stored.typeId() == QMetaType::Bool) {
        setAutomaticCardImport(stored.toBool());
    }
}

void SyncController::readLoginItemState() {
    // Launch at login comes with the preferences of the desktop integration.
}

void SyncController::startWatchingVolumes() {
    // Volume watching and the polling timer come with card access.
}

void SyncController::refreshDetectedCard() {
    // Volume scanning comes with card access.
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

QCoro::Task<> SyncController::sync() {
    if (!detectedCard_) {
        setStatus(Status::needsFolder());
        co_return;
    }
    if (cardNeedsAccess_) {
        setStatus(Status::cardNeedsAccess(detectedCardName()));
        co_return;
    }
    if (status_.kind() == Status::Kind::syncing) {
        co_return;
    }
    setStatus(Status::syncing());

    // The run keeps working on its own copy of the card, whatever a scan sets meanwhile.
    const DetectedPAPCard card = *detectedCard_;
    QPointer<SyncController> self(this);
    const auto makeRegistry = environment_.makeRegistry;
    // Named, not a temporary of the co_await expression: g++ 12 destroys such temporaries twice.
    auto importing =
        QtConcurrent::run(QThreadPool::globalInstance(), [card, makeRegistry]() -> ImportOutcome {
            try {
                return {makeRegistry().importCard(card), nullptr};
            } catch (...) {
                return {std::nullopt, std::current_exception()};
            }
        });
    ImportOutcome outcome = co_await importing;
    if (!self) {
        co_return;
    }
    if (outcome.error) {
        setStatus(Status::failed(describeFailure(outcome.error)));
        co_return;
    }

    const OscarSnapshot merged = mergeSnapshots(std::move(*outcome.snapshot),
                                                environment_.localExport.loadPreviousSnapshot());

    std::exception_ptr cloudFailure;
    try {
        auto saving = environment_.cloud->saveSnapshot(merged);
        co_await saving;
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

    try {
        environment_.localExport.writeLocalExport(merged);
    } catch (...) {
        setStatus(Status::failed(describeFailure(std::current_exception())));
        co_return;
    }
    setLastSync(QDateTime::currentDateTimeUtc());
    setStatus(Status::success(static_cast<qint64>(merged.nights.size())));
}

QCoro::Task<> SyncController::reset() {
    if (status_.kind() == Status::Kind::syncing || status_.kind() == Status::Kind::resetting) {
        co_return;
    }
    setStatus(Status::resetting());
    const QString prefix =
        QCoreApplication::translate("SyncController", "Remise \u00e0 z\u00e9ro impossible : ");

    QPointer<SyncController> self(this);
    std::exception_ptr cloudFailure;
    try {
        auto deleting = environment_.cloud->deleteSnapshot();
        co_await deleting;
    } catch (...) {
        cloudFailure = std::current_exception();
    }
    if (!self) {
        co_return;
    }
    if (cloudFailure) {
        setStatus(Status::failed(prefix + describeFailure(cloudFailure)));
        co_return;
    }
    try {
        environment_.localExport.removeFiles();
    } catch (...) {
        setStatus(Status::failed(prefix + describeFailure(std::current_exception())));
        co_return;
    }
    environment_.userDefaults->remove(legacyFolderBookmarkKey);
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
