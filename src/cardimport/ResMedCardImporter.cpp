#include "cardimport/ResMedCardImporter.h"

#include "cardimport/DeviceIdentification.h"

namespace velunora {

std::optional<DetectedPAPCard>
ResMedCardImporter::detect(const std::filesystem::path& rootURL) const {
    // A card is recognised by its layout alone; STR.edf is never read here, only looked for.
    std::error_code error;
    if (!std::filesystem::is_directory(rootURL / "DATALOG", error) ||
        !std::filesystem::exists(rootURL / "STR.edf", error)) {
        return std::nullopt;
    }
    auto identification = readDeviceIdentification(rootURL);
    return DetectedPAPCard{rootURL, "ResMed", std::move(identification.model),
                           std::move(identification.serialNumber)};
}

// importCard is the night pipeline: it lives with the nights, which build on card reading.

} // namespace velunora
