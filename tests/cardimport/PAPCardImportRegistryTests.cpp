#include "cardimport/PAPCardImportError.h"
#include "cardimport/PAPCardImporter.h"
#include "cardimport/ResMedCardImporter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>

namespace velunora {
namespace {

using testing::TemporaryFolder;

// Recognises every folder, or none; its import names the importer and the card it was given.
class FakeImporter final : public PAPCardImporter {
public:
    FakeImporter(std::string name, bool recognises)
        : name_(std::move(name))
        , recognises_(recognises) {}

    std::optional<DetectedPAPCard> detect(const std::filesystem::path& rootFolder) const override {
        if (!recognises_) {
            return std::nullopt;
        }
        return DetectedPAPCard{rootFolder, name_, "Model", "fresh"};
    }

    OscarSnapshot importCard(const DetectedPAPCard& card) const override {
        OscarSnapshot snapshot;
        snapshot.profileName = name_ + ":" + card.serialNumber;
        return snapshot;
    }

private:
    std::string name_;
    bool recognises_;
};

PAPCardImportError importError(const PAPCardImportRegistry& registry, const DetectedPAPCard& card) {
    try {
        registry.importCard(card);
    } catch (const PAPCardImportError& error) {
        return error;
    }
    ADD_FAILURE() << "import did not throw";
    return PAPCardImportError::unreadable("no error");
}

TEST(PAPCardImportRegistry, EmptyRegistryRecognisesNothing) {
    const PAPCardImportRegistry registry({});
    EXPECT_EQ(registry.detectCard("/"), std::nullopt);
    EXPECT_EQ(importError(registry, DetectedPAPCard{"/", "ResMed", "", ""}),
              PAPCardImportError::unsupported());
}

TEST(PAPCardImportRegistry, FirstRecognisingImporterDetectsAndImports) {
    const PAPCardImportRegistry registry({std::make_shared<FakeImporter>("none", false),
                                          std::make_shared<FakeImporter>("first", true),
                                          std::make_shared<FakeImporter>("second", true)});
    const auto detected = registry.detectCard("/card");
    ASSERT_TRUE(detected);
    EXPECT_EQ(detected->manufacturer, "first");

    // The card passed in is imported, not the one a fresh detection yields.
    const DetectedPAPCard passedIn{"/card", "first", "Model", "passed-in"};
    EXPECT_EQ(registry.importCard(passedIn).profileName, "first:passed-in");
}

TEST(PAPCardImportRegistry, CardThatNoLongerHoldsItsLayoutIsUnsupported) {
    TemporaryFolder card;
    card.makeFolder("DATALOG");
    card.write("STR.edf", "0");
    const auto registry = PAPCardImportRegistry::standard();
    const auto detected = registry.detectCard(card.path());
    ASSERT_TRUE(detected);
    // Unchanged folder, same detection.
    EXPECT_EQ(registry.detectCard(card.path()), detected);

    std::filesystem::remove(card.path() / "STR.edf");
    std::filesystem::remove(card.path() / "DATALOG");
    const auto error = importError(registry, *detected);
    EXPECT_EQ(error.kind(), PAPCardImportError::Kind::unsupported);
    EXPECT_EQ(error.errorDescription(), "Ce dossier ne contient pas une carte PPC compatible.");
}

TEST(PAPCardImportError, FrenchDescriptions) {
    EXPECT_EQ(
        PAPCardImportError::unreadable("le dossier DATALOG est inaccessible").errorDescription(),
        "La carte SD n\u2019a pas pu \u00eatre lue : le dossier DATALOG est inaccessible");
    EXPECT_EQ(PAPCardImportError::unsupported().errorDescription(),
              "Ce dossier ne contient pas une carte PPC compatible.");
    EXPECT_EQ(PAPCardImportError::noSessions().errorDescription(),
              "Aucune session d\u00e9taill\u00e9e n\u2019a \u00e9t\u00e9 trouv\u00e9e sur cette "
              "carte SD.");
    EXPECT_STREQ(PAPCardImportError::noSessions().what(),
                 PAPCardImportError::noSessions().errorDescription().c_str());
}

TEST(DetectedPAPCard, DisplayNameLeavesOutEmptyParts) {
    EXPECT_EQ((DetectedPAPCard{"/", "ResMed", "", ""}.displayName()), "ResMed");
    EXPECT_EQ((DetectedPAPCard{"/", "", "AirSense 10", ""}.displayName()), "AirSense 10");
    EXPECT_EQ((DetectedPAPCard{"/", "ResMed", "AirSense 10", "1"}.displayName()),
              "ResMed AirSense 10");
    EXPECT_EQ((DetectedPAPCard{"/", "", "", "1"}.displayName()), "");
}

} // namespace
} // namespace velunora
