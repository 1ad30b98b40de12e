// The controller's card operations: a card inserted, chosen, adopted, looked for again, or
// ejected, and the notice after a sync that a card's insertion started.
#include "cardimport/PAPCardImportError.h"
#include "sync/SyncController.h"
#include "sync/card/FolderChooser.h"
#include "sync/desktop/SyncNotifier.h"
#include "sync/volumes/VolumeSource.h"

#include <QCoreApplication>
#include <QPointer>

namespace velunora {

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
        cardAccess_.removableMediaFolder());
    if (!folder) {
        return;
    }
    try {
        followCard(cardAccess_.chooseCardFolder(*folder), true);
    } catch (...) {
        setStatus(Status::failed(describeFailure(std::current_exception())));
        return;
    }
    sync();
}

void SyncController::openSavedCardFolder(const QByteArray& savedLocation) {
    CardAccess::OpenedCard opened = cardAccess_.openSavedCardFolder(savedLocation);
    followCard(std::move(opened.card), true);
    if (opened.locationMoved) {
        cardAccess_.saveChosenFolderAgain();
    }
}

void SyncController::refreshDetectedCard() {
    if (!automaticCardImport_) {
        return;
    }
    std::optional<DetectedPAPCard> found = cardAccess_.findCard(detectedCard_);
    if (found == detectedCard_) {
        return;
    }
    if (!found) {
        setDetectedCard(std::nullopt);
        setCardNeedsAccess(false);
        setStatus(Status::needsFolder());
        return;
    }
    const bool readable = environment_.canReadCard(found->rootFolder);
    followCard(*std::move(found), readable);
}

bool SyncController::canEjectCard() const {
    return detectedCard_ && cardAccess_.isOnEjectableVolume(*detectedCard_);
}

QCoro::Task<> SyncController::runEject() {
    if (!canEjectCard() || status_.kind() == Status::Kind::syncing ||
        status_.kind() == Status::Kind::resetting) {
        co_return;
    }
    const std::shared_ptr<VolumeSource> volumes = environment_.volumes;
    std::filesystem::path root = detectedCard_->rootFolder;
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

bool SyncController::adoptCardFolder(const std::filesystem::path& folder) {
    auto card = cardAccess_.detectCard(folder);
    if (!card) {
        setStatus(Status::failed(
            QString::fromStdString(PAPCardImportError::unsupported().errorDescription())));
        return false;
    }
    const bool readable = environment_.canReadCard(card->rootFolder);
    followCard(*std::move(card), readable);
    return true;
}

} // namespace velunora
