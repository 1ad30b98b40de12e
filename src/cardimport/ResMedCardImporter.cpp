#include "cardimport/ResMedCardImporter.h"

#include "cardimport/DeviceIdentification.h"

namespace velunora {

std::optional<DetectedPAPCard>
ResMedCardImporter::detect(const std::filesystem::path& rootFolder) const {
    // A card is recognised by its layout alone; STR.edf is never read here, only looked for.
    std::error_code error;
    if (!std::filesystem::is_directory(rootFolder / "DATALOG", error) ||
        !std::filesystem::exists(rootFolder / "STR.edf", error)) {
        return std::nullopt;
    }
    auto identification = readDeviceIdentification(rootFolder);
    return DetectedPAPCard{rootFolder, "ResMed", std::move(identification.model),
                           std::move(identification.serialNumber)};
}

// importCard is the night pipeline: it lives with the nights, which build on card reading.

} // namespace velunora
