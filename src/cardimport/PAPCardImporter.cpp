#include "cardimport/PAPCardImporter.h"

#include "cardimport/PAPCardImportError.h"
#include "cardimport/ResMedCardImporter.h"
#include "records/Records.h"

namespace velunora {

std::string DetectedPAPCard::displayName() const {
    return joinedDisplayName(manufacturer, model);
}

PAPCardImportRegistry PAPCardImportRegistry::standard() {
    return PAPCardImportRegistry({std::make_shared<const ResMedCardImporter>()});
}

PAPCardImportRegistry
PAPCardImportRegistry::standard(const std::filesystem::path& importCacheFolder) {
    return PAPCardImportRegistry({std::make_shared<const ResMedCardImporter>(importCacheFolder)});
}

std::optional<DetectedPAPCard>
PAPCardImportRegistry::detectCard(const std::filesystem::path& rootFolder) const {
    for (const auto& importer : importers_) {
        if (auto card = importer->detect(rootFolder)) {
            return card;
        }
    }
    return std::nullopt;
}

OscarSnapshot PAPCardImportRegistry::importCard(const DetectedPAPCard& card) const {
    for (const auto& importer : importers_) {
        if (importer->detect(card.rootFolder)) {
            return importer->importCard(card);
        }
    }
    throw PAPCardImportError::unsupported();
}

} // namespace velunora
