#pragma once

#include "cardimport/DetectedPAPCard.h"
#include "records/Snapshot.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace velunora {

// An importer of one device family. Implementations are stateless and safe to share between
// threads.
class PAPCardImporter {
public:
    virtual ~PAPCardImporter() = default;

    // Whether the folder is a card of this family, and which device wrote it. Never throws.
    virtual std::optional<DetectedPAPCard>
    detect(const std::filesystem::path& rootFolder) const = 0;

    // Reads the whole card into a snapshot; throws PAPCardImportError (or a platform error).
    virtual OscarSnapshot importCard(const DetectedPAPCard& card) const = 0;
};

// Hands each question to the first importer that recognises the folder.
class PAPCardImportRegistry {
public:
    using Importers = std::vector<std::shared_ptr<const PAPCardImporter>>;

    explicit PAPCardImportRegistry(Importers importers)
        : importers_(std::move(importers)) {}

    // The registry of the app: exactly one importer, for ResMed cards, which reads every card
    // whole, or keeps what it learns of each card in the cache folder.
    static PAPCardImportRegistry standard();
    static PAPCardImportRegistry standard(const std::filesystem::path& importCacheFolder);

    const Importers& importers() const noexcept { return importers_; }

    std::optional<DetectedPAPCard> detectCard(const std::filesystem::path& rootFolder) const;

    // Imports the card passed in (not a fresh detection of its folder); `unsupported` when no
    // importer recognises the folder any more.
    OscarSnapshot importCard(const DetectedPAPCard& card) const;

private:
    Importers importers_;
};

} // namespace velunora
