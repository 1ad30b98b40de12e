#pragma once

#include "cardimport/PAPCardImporter.h"

namespace velunora {

// The importer of ResMed AirSense 10/11 and S9 cards. It keeps nothing in memory between
// imports; with a cache folder, what an import learns from a card's files is kept there, one file
// per card, so that the next import of that card reads only what changed.
class ResMedCardImporter final : public PAPCardImporter {
public:
    ResMedCardImporter() = default;
    explicit ResMedCardImporter(std::filesystem::path importCacheFolder)
        : importCacheFolder_(std::move(importCacheFolder)) {}

    std::optional<DetectedPAPCard> detect(const std::filesystem::path& rootFolder) const override;
    OscarSnapshot importCard(const DetectedPAPCard& card) const override;

private:
    std::filesystem::path importCacheFolder_; // empty: every import reads the whole card
};

} // namespace velunora
