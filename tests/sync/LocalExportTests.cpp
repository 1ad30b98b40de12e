#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/publication/LocalExport.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;

OscarSnapshot sampleSnapshot(int nights) {
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{1700000000};
    snapshot.machines = {makePAPMachine("ResMed", "AirSense 10", "S1", Date{1700000000})};
    for (int n = 0; n < nights; ++n) {
        NightSummary night;
        night.date = Date{1699900000.0 + n * 86400.0};
        snapshot.nights.push_back(night);
    }
    return snapshot;
}

TEST(LocalExport, FirstExportCreatesAPrivateFolderAndFile) {
    testing::TemporaryFolder data;
    const LocalExport exporter(data.path() / "share");
    EXPECT_EQ(exporter.snapshotFile(),
              data.path() / "share" / "LunexaSync" / "lunexa-snapshot.json");
    EXPECT_FALSE(exporter.loadPreviousSnapshot().has_value());

    exporter.writeLocalExport(sampleSnapshot(2));
    EXPECT_EQ(testing::fileMode(exporter.exportFolder()), 0700u);
    EXPECT_EQ(testing::fileMode(exporter.snapshotFile()), 0600u);
    EXPECT_EQ(testing::readFile(exporter.snapshotFile()),
              makeSnapshotEncoder().encode(sampleSnapshot(2)));
    ASSERT_TRUE(exporter.loadPreviousSnapshot().has_value());
    EXPECT_EQ(exporter.loadPreviousSnapshot()->nights.size(), 2u);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(exporter.exportFolder()), fs::directory_iterator()), 1)
        << "no side file is left";
}

TEST(LocalExport, TheLegacyFileIsReadOnceThenRetired) {
    testing::TemporaryFolder data;
    const LocalExport exporter(data.path());
    data.write("LunexaSync/oscar-snapshot.json", makeSnapshotEncoder().encode(sampleSnapshot(3)));
    ASSERT_TRUE(exporter.loadPreviousSnapshot().has_value());
    EXPECT_EQ(exporter.loadPreviousSnapshot()->nights.size(), 3u);

    exporter.writeLocalExport(sampleSnapshot(4));
    EXPECT_FALSE(fs::exists(exporter.legacySnapshotFile()));
    EXPECT_EQ(exporter.loadPreviousSnapshot()->nights.size(), 4u);

    // With both present, the current file is the one read.
    data.write("LunexaSync/oscar-snapshot.json", makeSnapshotEncoder().encode(sampleSnapshot(1)));
    EXPECT_EQ(exporter.loadPreviousSnapshot()->nights.size(), 4u);
}

TEST(LocalExport, AnUnreadablePreviousExportCountsAsNone) {
    testing::TemporaryFolder data;
    const LocalExport exporter(data.path());
    data.write("LunexaSync/lunexa-snapshot.json", "{ not json");
    EXPECT_FALSE(exporter.loadPreviousSnapshot().has_value());
    data.write("LunexaSync/lunexa-snapshot.json", R"({"generatedAt":"2023-01-01T00:00:00Z"})");
    EXPECT_FALSE(exporter.loadPreviousSnapshot().has_value());
}

TEST(LocalExport, AFailedWriteKeepsThePreviousFile) {
    testing::TemporaryFolder data;
    const LocalExport exporter(data.path());
    exporter.writeLocalExport(sampleSnapshot(2));
    const std::string before = testing::readFile(exporter.snapshotFile());

    OscarSnapshot unencodable = sampleSnapshot(3);
    unencodable.nights[0].ahi = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(exporter.writeLocalExport(unencodable), SnapshotEncodingError);
    EXPECT_EQ(testing::readFile(exporter.snapshotFile()), before);

    // A folder where the export folder should be: nothing can be written.
    testing::TemporaryFolder blocked;
    blocked.write("LunexaSync", "a file, not a folder");
    EXPECT_ANY_THROW(LocalExport(blocked.path()).writeLocalExport(sampleSnapshot(1)));
}

TEST(LocalExport, OnlyARegularFileIsAnExport) {
    // A FIFO, a device, a folder or a link where the export belongs: never waited on, never read
    // without end, never written through.
    testing::TemporaryFolder data;
    const LocalExport exportFolder(data.path());
    const fs::path elsewhere =
        data.write("elsewhere.json", makeSnapshotEncoder().encode(sampleSnapshot(2)));
    const fs::path file = exportFolder.snapshotFile();
    const auto placeAndCheck = [&](const std::function<void()>& place, const char* what,
                                   const char* writeFailure) {
        fs::remove_all(file);
        place();
        EXPECT_FALSE(exportFolder.loadPreviousSnapshot()) << what;
        try {
            exportFolder.writeLocalExport(sampleSnapshot(1));
            ADD_FAILURE() << "written over " << what;
        } catch (const PlatformError& error) {
            EXPECT_EQ(error.errorDescription(),
                      std::string("\u00ab\u00a0lunexa-snapshot.json"
                                  "\u00a0\u00bb n\u2019a pas pu \u00eatre "
                                  "enregistr\u00e9 : ") +
                          writeFailure)
                << what;
        }
    };
    fs::create_directories(file.parent_path());
    const char* notRegular =
        "un \u00e9l\u00e9ment qui n\u2019est pas un fichier ordinaire porte ce nom.";
    placeAndCheck([&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, "a FIFO", notRegular);
    placeAndCheck([&] { fs::create_symlink("/dev/zero", file); }, "a link to a device", notRegular);
    placeAndCheck([&] { fs::create_symlink(elsewhere, file); }, "a link to a snapshot", notRegular);
    placeAndCheck([&] { fs::create_directory(file); }, "a folder", "un dossier porte ce nom.");
    EXPECT_EQ(testing::readFile(elsewhere), makeSnapshotEncoder().encode(sampleSnapshot(2)));
}

TEST(LocalExport, RemovingFilesKeepsTheFolder) {
    testing::TemporaryFolder data;
    const LocalExport exporter(data.path());
    EXPECT_NO_THROW(exporter.removeFiles()) << "nothing to remove is no error";
    exporter.writeLocalExport(sampleSnapshot(1));
    data.write("LunexaSync/oscar-snapshot.json", "{}");
    exporter.removeFiles();
    EXPECT_FALSE(fs::exists(exporter.snapshotFile()));
    EXPECT_FALSE(fs::exists(exporter.legacySnapshotFile()));
    EXPECT_TRUE(fs::is_directory(exporter.exportFolder()));
}

} // namespace
} // namespace velunora
