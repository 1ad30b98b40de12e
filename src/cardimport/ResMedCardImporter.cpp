#include "cardimport/ResMedCardImporter.h"

#include "cardimport/PAPCardImportError.h"

namespace velunora {

// Recognition and import of real cards arrive with the EDF reader and the night pipeline.
std::optional<DetectedPAPCard> ResMedCardImporter::detect(const std::filesystem::path&) const {
    return std::nullopt;
}

OscarSnapshot ResMedCardImporter::importCard(const DetectedPAPCard&) const {
    throw PAPCardImportError::unsupported();
}

} // namespace velunora
