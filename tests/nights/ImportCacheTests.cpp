// An import that reuses what the previous one learnt must publish exactly what a full import of
// the card publishes, whatever changed on the card or around it since.
#include "cardimport/PAPCardImporter.h"
#include "nights/ImportCache.h"
#include "nights/SessionImport.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "tools/CardGenerator.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;
using testing::ScopedLocale;
using testing::ScopedTimeZone;

constexpr Date importedAt{1700000000};

class ImportCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        cardgen::CardGeneratorOptions options;
        options.nights = 5; // the two oldest without detail, the newest with full-rate series
        options.seed = 11;
        options.firstNight = cardgen::LocalDay{2024, 3, 28}; // across the change to summer time
        cardgen::generateCard(card.rootFolder, options);
    }

    // Imports the card reusing the cache of the previous import, checks the snapshot against a
    // full import byte for byte, and keeps what it learnt, through its bytes, for the next.
    ReusingImport importAndCompare(const std::string& change) {
        ReusingImport reusing =
            importResMedCardReusing(card, importedAt, cache ? &*cache : nullptr, {}, 1);
        const OscarSnapshot full = importResMedCard(card, importedAt, {}, 1);
        const auto encoder = makeSnapshotEncoder();
        const std::string reused = encoder.encode(reusing.snapshot);
        const std::string whole = encoder.encode(full);
        // Not EXPECT_EQ: a diff of two snapshots of megabytes would take gigabytes.
        EXPECT_TRUE(reused == whole)
            << change << ": unlike a full import from byte "
            << std::mismatch(reused.begin(), reused.end(), whole.begin(), whole.end()).first -
                   reused.begin();
        EXPECT_EQ(reusing.snapshot.partlyReadNights, full.partlyReadNights) << change;
        cache = decodeImportCache(encodeImportCache(reusing.learnt));
        EXPECT_EQ(cache, reusing.learnt) << change;
        return reusing;
    }

    fs::path datalog() const { return card.rootFolder / "DATALOG"; }

    // The recordings of the card whose names end so, in name order.
    std::vector<fs::path> recordings(std::string_view suffix) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(datalog())) {
            if (entry.path().filename().string().ends_with(suffix)) {
                found.push_back(entry.path());
            }
        }
        std::sort(found.begin(), found.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
        return found;
    }

    const NightSummary& night(const ReusingImport& import, std::size_t index) const {
        return import.snapshot.nights.at(index);
    }

    testing::TemporaryFolder folder;
    ScopedTimeZone zone{"Europe/Paris"};
    DetectedPAPCard card{folder.path() / "card", "ResMed", "AirSense 10 AutoSet", "23190000000"};
    std::optional<ImportCache> cache;
};

void rewrite(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The EDF header's count of data records, and the size of one record.
std::size_t recordCount(const std::string& edf) {
    return std::stoul(edf.substr(236, 8));
}

std::size_t recordSize(const std::string& edf) {
    const std::size_t headerSize = std::stoul(edf.substr(184, 8));
    return (edf.size() - headerSize) / recordCount(edf);
}

TEST_F(ImportCacheTest, FollowsEveryChangeOfTheCard) {
    // The newest night is not on the card yet.
    std::vector<fs::path> days(fs::directory_iterator(datalog()), {});
    std::sort(days.begin(), days.end());
    const fs::path newestDay = days.back();
    const fs::path setAside = folder.path() / "set-aside";
    fs::rename(newestDay, setAside);

    const ReusingImport first = importAndCompare("first import");
    EXPECT_EQ(first.nightsReused, 0u);
    const std::size_t nights = first.snapshot.nights.size();

    const ReusingImport unchanged = importAndCompare("nothing changed");
    EXPECT_EQ(unchanged.filesRead, 0u) << "an unchanged card is read again";
    EXPECT_EQ(unchanged.nightsReused, nights);

    // A night added: it is read, and an older night stops being a detail night. The others are
    // not read again.
    const ImportCache beforeTheNewNight = *cache;
    fs::rename(setAside, newestDay);
    const ReusingImport added = importAndCompare("a night added");
    EXPECT_GT(added.snapshot.nights.size(), nights);
    EXPECT_GT(added.nightsReused, 0u);
    EXPECT_LT(added.filesRead, first.filesRead);
    const bool someNightLostItsDetail = std::any_of(
        beforeTheNewNight.nights.begin(), beforeTheNewNight.nights.end(), [&](const auto& entry) {
            return entry.second.isDetailNight && !cache->nights.at(entry.first).isDetailNight;
        });
    EXPECT_TRUE(someNightLostItsDetail) << "the scenario no longer moves the detail nights";

    // The oldest summary file grows by one record: a longer session, more pressure samples.
    const fs::path grown = recordings("_PLD.edf").front();
    std::string bytes = testing::readFile(grown);
    const std::size_t records = recordCount(bytes);
    bytes += bytes.substr(bytes.size() - recordSize(bytes));
    const std::string count = std::to_string(records + 1);
    bytes.replace(236, 8, count + std::string(8 - count.size(), ' '));
    rewrite(grown, bytes);
    const ReusingImport afterGrowth = importAndCompare("a file grown");
    EXPECT_NE(night(afterGrowth, 0).sessions, night(added, 0).sessions);

    // Another summary file of an old night replaced by one of the same size, older, with other
    // pressures: the time a file changed is no clue to which is newer.
    const fs::path replaced = recordings("_PLD.edf").at(1);
    const auto modified = fs::last_write_time(replaced);
    bytes = testing::readFile(replaced);
    const std::size_t headerSize = std::stoul(bytes.substr(184, 8));
    for (std::size_t at = headerSize; at + 1 < bytes.size(); at += 2) {
        bytes[at] = static_cast<char>(bytes[at] ^ 0x05);
    }
    rewrite(replaced, bytes);
    fs::last_write_time(replaced, modified - std::chrono::hours(24));
    const ReusingImport afterReplacement = importAndCompare("a file replaced");
    EXPECT_NE(afterReplacement.snapshot.nights, afterGrowth.snapshot.nights);
    EXPECT_EQ(afterReplacement.nightsReused, afterReplacement.snapshot.nights.size() - 1);

    // An event file of an old night removed: its events go, the night is condensed again.
    const std::size_t eventsBefore = night(afterReplacement, 0).events.size();
    fs::remove(recordings("_EVE.edf").front());
    const ReusingImport afterRemoval = importAndCompare("an event file removed");
    EXPECT_LT(night(afterRemoval, 0).events.size(), eventsBefore);
    EXPECT_EQ(afterRemoval.nightsReused, afterRemoval.snapshot.nights.size() - 1);
}

TEST_F(ImportCacheTest, IsSetAsideUnderOtherTimeZoneRulesOrAnotherLocale) {
    const std::size_t allFiles = importAndCompare("first import").filesRead;
    {
        // A night filed noon to noon in Paris is another night in New York.
        const ScopedTimeZone newYork("America/New_York");
        const ReusingImport elsewhere = importAndCompare("another time zone");
        EXPECT_EQ(elsewhere.filesRead, allFiles);
        EXPECT_EQ(elsewhere.nightsReused, 0u);
    }
    EXPECT_EQ(importAndCompare("back in Paris").filesRead, allFiles);
    {
        // Signal and event names are recognised in the user's locale ("I" is no "i" in Turkish).
        const ScopedLocale turkish("tr_TR.UTF-8");
        EXPECT_EQ(importAndCompare("another locale").filesRead, allFiles);
    }
    EXPECT_EQ(importAndCompare("back to the first locale").filesRead, allFiles);
}

TEST_F(ImportCacheTest, ADamagedOrForeignCacheMeansAFullImport) {
    const fs::path cacheFolder = folder.path() / "cache" / "velunora-sync";
    const auto registry = PAPCardImportRegistry::standard(cacheFolder);
    const OscarSnapshot first = registry.importCard(card);
    const auto file = importCacheFile(cacheFolder, card.serialNumber);
    ASSERT_TRUE(file && fs::is_regular_file(*file));
    // Health data: for the user alone.
    EXPECT_EQ(testing::fileMode(cacheFolder), 0700u);
    EXPECT_EQ(testing::fileMode(*file), 0600u);
    EXPECT_EQ(registry.importCard(card).nights, first.nights);

    const std::string bytes = testing::readFile(*file);
    const auto learnt = loadImportCache(*file);
    ASSERT_TRUE(learnt);
    // One bit flipped anywhere, the end cut off, another version's header: no cache at all.
    for (const std::size_t at : {bytes.size() / 3, bytes.size() - 1}) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        EXPECT_FALSE(decodeImportCache(damaged)) << "a bit flipped at " << at;
    }
    EXPECT_FALSE(decodeImportCache(bytes.substr(0, bytes.size() / 2)));
    EXPECT_FALSE(decodeImportCache(std::string(bytes).replace(0, 8, "VELUNORX")));
    rewrite(*file, bytes.substr(0, bytes.size() - 100));
    EXPECT_FALSE(loadImportCache(*file));
    EXPECT_EQ(registry.importCard(card).nights, first.nights);

    // Another card's cache, even under this card's file name, is not this card's.
    ImportCache foreign = *learnt;
    foreign.serialNumber = "22181234567";
    cache = foreign;
    EXPECT_EQ(importAndCompare("another card's cache").nightsReused, 0u);
    // Nor does a card without a serial number get one: it could be any card.
    EXPECT_FALSE(importCacheFile(cacheFolder, ""));
    EXPECT_EQ(importCacheFile(cacheFolder, "../x")->parent_path(), cacheFolder);
}

TEST_F(ImportCacheTest, AFolderThatIsNotTheUsersAloneHoldsNoCache) {
    const fs::path cacheFolder = folder.path() / "cache" / "velunora-sync";
    const auto registry = PAPCardImportRegistry::standard(cacheFolder);
    const OscarSnapshot first = registry.importCard(card);
    const auto file = importCacheFile(cacheFolder, card.serialNumber);
    ASSERT_TRUE(loadImportCache(*file));

    // Ours but opened to others: made private again, and used.
    fs::permissions(cacheFolder, fs::perms::all);
    EXPECT_TRUE(loadImportCache(*file));
    EXPECT_EQ(testing::fileMode(cacheFolder), 0700u);

    // A link to elsewhere in its place: not followed.
    const fs::path real = folder.path() / "elsewhere";
    fs::rename(cacheFolder, real);
    fs::create_directory_symlink(real, cacheFolder);
    EXPECT_FALSE(loadImportCache(*file));
    EXPECT_FALSE(saveImportCache(*file, *loadImportCache(real / file->filename())));
    fs::remove(cacheFolder);
    fs::rename(real, cacheFolder);

    // Another user's folder: neither read nor written, and the import still whole.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user takes root";
    }
    ASSERT_EQ(::chown(cacheFolder.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(loadImportCache(*file));
    EXPECT_FALSE(saveImportCache(*file, ImportCache{}));
    EXPECT_EQ(registry.importCard(card).nights, first.nights);
}

} // namespace
} // namespace velunora
