#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "cardimport/PAPCardImporter.h"

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

namespace velunora {

class CardLocations;
class Settings;
class VolumeSource;

// Which card there is to sync: one on a removable volume, else the card folder the user chose,
// whose saved location the settings keep and whose access is held while the folder is there.
// Never writes to a card.
class CardAccess {
public:
    // The chosen card folder's saved location.
    static inline const QString savedCardFolderKey = QStringLiteral("pap-card-bookmark");

    // `volumes` may be null: only the chosen folder (or the one the caller adopts) is looked at.
    CardAccess(std::shared_ptr<Settings> settings, std::shared_ptr<CardLocations> cardLocations,
               std::shared_ptr<VolumeSource> volumes, PAPCardImportRegistry registry);
    ~CardAccess();
    CardAccess(const CardAccess&) = delete;
    CardAccess& operator=(const CardAccess&) = delete;

    // The card in the folder `savedLocation` names, its access now held (in place of the
    // previous folder's). Throws PlatformError when the folder is gone or refused,
    // PAPCardImportError when it holds no readable card.
    struct OpenedCard {
        DetectedPAPCard card;
        // The folder moved since the location was saved: saveChosenFolderAgain() is due.
        bool locationMoved = false;
    };
    OpenedCard openSavedCardFolder(const QByteArray& savedLocation);
    // Saves the chosen folder's location anew; throws PlatformError when it cannot be told.
    void saveChosenFolderAgain();
    // As above, with the location the settings keep; nothing when none is kept or it cannot be
    // opened (a card not inserted is the usual case, not a failure).
    std::optional<DetectedPAPCard> openStoredCardFolder();
    // Keeps `folder` as the chosen card folder and opens it; throws as above.
    DetectedPAPCard chooseCardFolder(const std::filesystem::path& folder);

    // The card to follow now: the first on a removable volume, else the chosen folder's while
    // that folder exists. `followed` is the card followed so far, which needs no second look at
    // its identification files.
    std::optional<DetectedPAPCard> findCard(const std::optional<DetectedPAPCard>& followed);
    // The card in a folder given by the caller (the command line), or nothing.
    std::optional<DetectedPAPCard> detectCard(const std::filesystem::path& folder) const;
    // The card sits on a mounted removable volume, which can be ejected from here.
    bool isOnEjectableVolume(const DetectedPAPCard& card) const;
    // Where the folder chooser opens: the folder where removable media are mounted.
    std::filesystem::path removableMediaFolder() const;

    // The card folder whose access is held open, if any.
    const std::optional<std::filesystem::path>& chosenCardFolder() const noexcept {
        return chosenFolder_;
    }

private:
    QByteArray storedLocation() const;

    std::shared_ptr<Settings> settings_;
    std::shared_ptr<CardLocations> cardLocations_;
    std::shared_ptr<VolumeSource> volumes_;
    PAPCardImportRegistry registry_;
    std::optional<std::filesystem::path> chosenFolder_;
};

} // namespace velunora
