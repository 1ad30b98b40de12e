#pragma once

#include "cardimport/PAPCardImporter.h"

namespace velunora {

// The importer of ResMed AirSense 10/11 and S9 cards. Stateless.
class ResMedCardImporter final : public PAPCardImporter {
public:
    std::optional<DetectedPAPCard> detect(const std::filesystem::path& rootURL) const override;
    OscarSnapshot importCard(const DetectedPAPCard& card) const override;
};

} // namespace velunora
