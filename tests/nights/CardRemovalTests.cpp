// A card pulled out, or failing, while it is read must end the import: a snapshot of what could
// still be read would replace good published nights with empty ones.
#include "cardimport/PAPCardImportError.h"
#include "nights/SessionImport.h"
#include "support/TestSupport.h"
#include "tools/CardGenerator.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velunora {
namespace {

namespace fs = std::filesystem;

std::string removalMessage(const std::string& fileName) {
    return "la carte a \u00e9t\u00e9 retir\u00e9e ou ne r\u00e9pond plus pendant la lecture de "
           "\u00ab\u00a0" +
           fileName + "\u00a0\u00bb";
}

class CardRemoval : public ::testing::Test {
protected:
    // One generated card for the suite; every import that damages it works on a copy.
    static void SetUpTestSuite() {
        const testing::ScopedTimeZone generationZone("Europe/Paris");
        original_ = std::make_unique<testing::TemporaryFolder>();
        cardgen::CardGeneratorOptions options;
        options.nights = 4; // the oldest without detail
        options.seed = 7;
        options.firstNight = cardgen::LocalDay{2024, 3, 29};
        cardgen::generateCard(original_->path(), options);
        const fs::path datalog = original_->path() / "DATALOG";
        for (const auto& entry : fs::recursive_directory_iterator(datalog)) {
            if (entry.is_regular_file()) {
                names_.push_back(entry.path().filename().string());
                places_[names_.back()] = entry.path().lexically_relative(datalog);
            }
        }
        std::sort(names_.begin(), names_.end());
    }
    static void TearDownTestSuite() { original_.reset(); }

    // A fresh copy of the card; the path of its DATALOG folder.
    fs::path freshCopy() {
        copies_.push_back(std::make_unique<testing::TemporaryFolder>());
        fs::copy(original_->path(), copies_.back()->path(), fs::copy_options::recursive);
        return copies_.back()->path() / "DATALOG";
    }

    // Replaces the file named `name` with a folder.
    static void makeFolderOf(const fs::path& datalog, const std::string& name) {
        const fs::path file = datalog / places_.at(name);
        fs::remove(file);
        fs::create_directory(file);
    }

    static std::vector<std::string> namesEndingWith(const std::string& suffix) {
        std::vector<std::string> found;
        std::copy_if(names_.begin(), names_.end(), std::back_inserter(found),
                     [&](const std::string& name) { return name.ends_with(suffix); });
        return found;
    }

    // The import's error; nothing when it succeeds.
    static std::optional<PAPCardImportError>
    importFailure(const fs::path& datalog, std::size_t threads,
                  const std::function<void(double)>& progress = {}) {
        try {
            importResMedCard({datalog.parent_path(), "ResMed", "AirSense 10 AutoSet", "SN"},
                             Date{1700000000}, progress, threads);
        } catch (const PAPCardImportError& error) {
            return error;
        }
        return std::nullopt;
    }

    // The file a removal error names, checked to be one of the card's recordings.
    static std::string namedFile(const PAPCardImportError& error) {
        EXPECT_EQ(error.kind(), PAPCardImportError::Kind::unreadable);
        for (const std::string& name : names_) {
            if (error.message() == removalMessage(name)) {
                return name;
            }
        }
        ADD_FAILURE() << "not a removal naming a file of the card: " << error.message();
        return {};
    }

    testing::ScopedTimeZone zone{"Europe/Paris"};
    std::vector<std::unique_ptr<testing::TemporaryFolder>> copies_;
    static inline std::unique_ptr<testing::TemporaryFolder> original_;
    static inline std::vector<std::string> names_;         // every file of DATALOG, in name order
    static inline std::map<std::string, fs::path> places_; // where each is, under DATALOG
};

TEST_F(CardRemoval, PulledOutDuringTheImportEndsItNamingTheFileBeingRead) {
    // The first full read of the import is the event file that comes first by name (events are
    // read before the signals, so that they are known when nights are compared with the cache).
    const std::string firstRead =
        std::min(namesEndingWith("_CSL.edf").front(), namesEndingWith("_EVE.edf").front());
    for (const std::size_t threads : {0u, 1u, 3u}) {
        SCOPED_TRACE(std::to_string(threads) + " reading threads");
        // Pulled out once the sessions are known, before any full read: every read fails, and
        // the first in reading order is reported whatever the threads' timing.
        const fs::path datalog = freshCopy();
        std::optional<PAPCardImportError> error =
            importFailure(datalog, threads, [&](double) { fs::remove_all(datalog); });
        ASSERT_TRUE(error.has_value()) << "the import of a vanished card succeeded";
        EXPECT_EQ(*error, PAPCardImportError::removedWhileReading(firstRead));
        EXPECT_EQ(error->errorDescription(),
                  "La carte SD n\u2019a pas pu \u00eatre lue : " + removalMessage(firstRead));

        // Pulled out after the first full read. The reading threads may have read some files
        // ahead, but not all of the thirty-odd left.
        const fs::path later = freshCopy();
        int calls = 0;
        error = importFailure(later, threads, [&](double) {
            if (++calls == 2) {
                fs::remove_all(later);
            }
        });
        ASSERT_TRUE(error.has_value()) << "the import of a vanished card succeeded";
        EXPECT_FALSE(namedFile(*error).ends_with("_SAD.edf")) << "only its header is read";
        EXPECT_GE(calls, 2) << "the import failed before the card was pulled out";
    }
}

TEST_F(CardRemoval, AFileTheSystemCannotReadEndsTheImport) {
    // The system refuses to read a folder listed as a recording, as it refuses the files of a
    // failing card, and whatever the user's rights. Two of them, far apart: the first in reading
    // order is named, however the threads share the headers out.
    const std::vector<std::string> summaries = namesEndingWith("_PLD.edf");
    const std::vector<std::string> events = namesEndingWith("_EVE.edf");
    for (const std::size_t threads : {0u, 3u}) {
        SCOPED_TRACE(std::to_string(threads) + " reading threads");
        const fs::path datalog = freshCopy();
        for (const std::string& name : {summaries[1], summaries.back(), events.front()}) {
            makeFolderOf(datalog, name);
        }
        const std::optional<PAPCardImportError> error = importFailure(datalog, threads);
        ASSERT_TRUE(error.has_value()) << "the import went on without the files";
        EXPECT_EQ(*error, PAPCardImportError::removedWhileReading(summaries[1]));
    }
    // The event files are read last: one that fails ends the import as well.
    const fs::path datalog = freshCopy();
    makeFolderOf(datalog, events.back());
    const std::optional<PAPCardImportError> error = importFailure(datalog, 3);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, PAPCardImportError::removedWhileReading(events.back()));
}

} // namespace
} // namespace velunora
