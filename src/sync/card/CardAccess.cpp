#include "sync/card/CardAccess.h"

#include "cardimport/DeviceIdentification.h"
#include "cardimport/PAPCardImportError.h"
#include "platform/Localization.h"
#include "platform/PlatformError.h"
#include "sync/FailureText.h"
#include "sync/Logging.h"
#include "sync/Settings.h"
#include "sync/card/CardLocation.h"
#include "sync/volumes/VolumeSource.h"

#include <algorithm>

namespace velunora {

CardAccess::CardAccess(std::shared_ptr<Settings> settings,
                       std::shared_ptr<CardLocations> cardLocations,
                       std::shared_ptr<VolumeSource> volumes, PAPCardImportRegistry registry)
    : settings_(std::move(settings))
    , cardLocations_(std::move(cardLocations))
    , volumes_(std::move(volumes))
    , registry_(std::move(registry)) {}

CardAccess::~CardAccess() {
    if (chosenFolder_) {
        cardLocations_->releaseFolder(*chosenFolder_);
    }
}

QByteArray CardAccess::storedLocation() const {
    const QVariant stored = settings_->value(savedCardFolderKey);
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : QByteArray();
}

CardAccess::OpenedCard CardAccess::openSavedCardFolder(const QByteArray& savedLocation) {
    const ResolvedCardLocation resolved = cardLocations_->resolveLocation(savedLocation);
    std::error_code error;
    if (!std::filesystem::exists(resolved.folder, error) ||
        !cardLocations_->holdFolder(resolved.folder)) {
        throw PlatformError(fileReadNoPermissionCode,
                            localized("SyncController",
                                      "L’accès à la carte SD n’a pas été accordé. "
                                      "Sélectionnez-la à nouveau."));
    }
    auto card = registry_.detectCard(resolved.folder);
    if (!card || !canReadCard(card->rootFolder)) {
        cardLocations_->releaseFolder(resolved.folder);
        throw PAPCardImportError::unsupported();
    }
    if (chosenFolder_) {
        cardLocations_->releaseFolder(*chosenFolder_);
    }
    chosenFolder_ = resolved.folder;
    return {*std::move(card), resolved.isStale};
}

void CardAccess::saveChosenFolderAgain() {
    if (chosenFolder_) {
        settings_->setValue(savedCardFolderKey, cardLocations_->saveLocation(*chosenFolder_));
    }
}

std::optional<DetectedPAPCard> CardAccess::openStoredCardFolder() {
    const QByteArray location = storedLocation();
    if (location.isEmpty()) {
        return std::nullopt;
    }
    std::optional<OpenedCard> opened;
    try {
        opened = openSavedCardFolder(location);
    } catch (...) {
        // A card not inserted is the usual case: a debug line, not a warning.
        qCDebug(lcCard).noquote() << "the chosen card folder cannot be opened:"
                                  << describeFailure(std::current_exception());
        return std::nullopt;
    }
    if (opened->locationMoved) {
        try {
            saveChosenFolderAgain();
        } catch (...) {
            // The card is there all the same; the location is saved again next time.
            qCWarning(lcCard).noquote() << "the chosen card folder moved and its new location "
                                           "could not be saved:"
                                        << describeFailure(std::current_exception());
        }
    }
    return std::move(opened->card);
}

DetectedPAPCard CardAccess::chooseCardFolder(const std::filesystem::path& folder) {
    const QByteArray location = cardLocations_->saveLocation(folder);
    settings_->setValue(savedCardFolderKey, location);
    return openSavedCardFolder(location).card;
}

std::optional<DetectedPAPCard>
CardAccess::findCard(const std::optional<DetectedPAPCard>& followed) {
    std::error_code error;
    if (chosenFolder_ && !std::filesystem::exists(*chosenFolder_, error)) {
        cardLocations_->releaseFolder(*chosenFolder_);
        chosenFolder_.reset();
    }
    // The chosen card as opening its folder again detected it: no second look at its files.
    std::optional<DetectedPAPCard> reopened;
    if (!chosenFolder_) {
        reopened = openStoredCardFolder();
    }
    if (volumes_) {
        for (const auto& volume : volumes_->mountedVolumes()) {
            if (volume.isRemovable || volume.isEjectable) {
                if (auto found = registry_.detectCard(volume.rootFolder)) {
                    return found;
                }
            }
        }
    }
    // No card inserted: the one the user chose by hand stays, as long as its folder is there.
    if (!chosenFolder_) {
        return std::nullopt;
    }
    if (reopened) {
        return reopened;
    }
    if (followed && followed->rootFolder == *chosenFolder_) {
        return followed;
    }
    return registry_.detectCard(*chosenFolder_);
}

std::optional<DetectedPAPCard> CardAccess::detectCard(const std::filesystem::path& folder) const {
    return registry_.detectCard(folder);
}

bool CardAccess::isOnEjectableVolume(const DetectedPAPCard& card) const {
    if (!volumes_) {
        return false;
    }
    const auto volumes = volumes_->mountedVolumes();
    return std::any_of(volumes.begin(), volumes.end(), [&card](const MountedVolume& volume) {
        return volume.rootFolder == card.rootFolder && (volume.isRemovable || volume.isEjectable);
    });
}

std::filesystem::path CardAccess::removableMediaFolder() const {
    return velunora::removableMediaFolder(volumes_ ? volumes_->mountedVolumes()
                                                   : std::vector<MountedVolume>{});
}

} // namespace velunora
