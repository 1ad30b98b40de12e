#include "cardimport/DatalogScan.h"
#include "cardimport/PAPCardImportError.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace velunora {
namespace {

using Kind = ResMedFile::Kind;
using testing::TemporaryFolder;

// File names with kinds, in the order the scan returned them.
using Listing = std::vector<std::pair<std::string, Kind>>;

Listing namesAndKinds(const std::vector<ResMedFile>& files) {
    Listing result;
    for (const auto& file : files) {
        result.emplace_back(file.url.filename().string(), file.kind);
    }
    return result;
}

PAPCardImportError scanError(const std::filesystem::path& datalog) {
    try {
        scanDatalog(datalog);
    } catch (const PAPCardImportError& error) {
        return error;
    }
    ADD_FAILURE() << "scan did not throw";
    return PAPCardImportError::noSessions();
}

TEST(ScanDatalog, KindsFromTheNameSuffix) {
    TemporaryFolder card;
    const auto datalog = card.makeFolder("DATALOG");
    for (const char* name :
         {"20240101_230000_EVE.edf", "20240101_230000_BRP.edf", "20240101_230001_brp.EDF",
          "20240101_230002_Pld.Edf", "20240101_230003_SA2.edf", "20240101_230004_SAD.edf",
          "20240101_230005_AEV.edf", "20240101_230006_CSL.edf"}) {
        card.write(std::filesystem::path("DATALOG/20240101") / name, "0");
    }
    const Listing expected{
        {"20240101_230000_BRP.edf", Kind::brp}, {"20240101_230000_EVE.edf", Kind::eve},
        {"20240101_230001_brp.EDF", Kind::brp}, {"20240101_230002_Pld.Edf", Kind::pld},
        {"20240101_230003_SA2.edf", Kind::sad}, {"20240101_230004_SAD.edf", Kind::sad},
        {"20240101_230005_AEV.edf", Kind::eve}, {"20240101_230006_CSL.edf", Kind::csl},
    };
    const auto files = scanDatalog(datalog);
    EXPECT_EQ(namesAndKinds(files), expected);
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files.front().url, datalog / "20240101" / "20240101_230000_BRP.edf");
}

TEST(ScanDatalog, SkipsOtherFilesAndHiddenEntries) {
    TemporaryFolder card;
    const auto datalog = card.makeFolder("DATALOG");
    card.write("DATALOG/STR.edf", "0");
    card.write("DATALOG/20240101/20240101_230000_XYZ.edf", "0");
    card.write("DATALOG/20240101/20240101_230000_BRP.txt", "0");
    card.write("DATALOG/20240101/20240101_230000_BRP", "0");
    card.write("DATALOG/20240101/20240101_230000_BRP.edf.bak", "0");
    card.write("DATALOG/20240101/.20240101_230000_BRP.edf", "0");
    card.write("DATALOG/.hidden/20240101_230000_PLD.edf", "0");
    card.write("DATALOG/20240101/20240101_230000_PLD.edf", "0");
    EXPECT_EQ(namesAndKinds(scanDatalog(datalog)),
              (Listing{{"20240101_230000_PLD.edf", Kind::pld}}));
}

TEST(ScanDatalog, SortsByFileNameAcrossFoldersAtAnyDepth) {
    TemporaryFolder card;
    const auto datalog = card.makeFolder("DATALOG");
    card.write("DATALOG/a/b/c/d/20240103_000000_BRP.edf", "0");
    card.write("DATALOG/z/20240101_000000_BRP.edf", "0");
    card.write("DATALOG/20240102_000000_BRP.edf", "0");
    card.write("DATALOG/y/20240102_000000_BRP.edf", "0");
    // Not tested for being a file: the read fails later.
    card.makeFolder("DATALOG/m/20240104_000000_PLD.edf");
    // Code-point order, not UTF-16 order: U+FF61 comes before U+1F600.
    card.write("DATALOG/\xF0\x9F\x98\x80_BRP.edf", "0");
    card.write("DATALOG/\xEF\xBD\xA1_BRP.edf", "0");
    const Listing expected{
        {"20240101_000000_BRP.edf", Kind::brp},  {"20240102_000000_BRP.edf", Kind::brp},
        {"20240102_000000_BRP.edf", Kind::brp},  {"20240103_000000_BRP.edf", Kind::brp},
        {"20240104_000000_PLD.edf", Kind::pld},  {"\xEF\xBD\xA1_BRP.edf", Kind::brp},
        {"\xF0\x9F\x98\x80_BRP.edf", Kind::brp},
    };
    EXPECT_EQ(namesAndKinds(scanDatalog(datalog)), expected);
}

TEST(ScanDatalog, EmptyFolderIsNoError) {
    TemporaryFolder card;
    EXPECT_TRUE(scanDatalog(card.makeFolder("DATALOG")).empty());
}

TEST(ScanDatalog, FolderThatCannotBeWalkedIsUnreadable) {
    TemporaryFolder card;
    const auto expected = PAPCardImportError::unreadable("le dossier DATALOG est inaccessible");
    EXPECT_EQ(scanError(card.path() / "DATALOG"), expected);
    EXPECT_EQ(scanError(card.write("DATALOG", "a file")), expected);
}

TEST(ScanDatalog, SymbolicLinkLoopIsNotFollowed) {
    TemporaryFolder card;
    const auto datalog = card.makeFolder("DATALOG");
    card.write("DATALOG/20240101/20240101_000000_BRP.edf", "0");
    card.write("outside/20240102_000000_BRP.edf", "0");
    std::filesystem::create_directory_symlink("..", datalog / "20240101" / "up");
    std::filesystem::create_directory_symlink(datalog, datalog / "20240101" / "self");
    std::filesystem::create_directory_symlink(card.path() / "outside", datalog / "outside");
    EXPECT_EQ(namesAndKinds(scanDatalog(datalog)),
              (Listing{{"20240101_000000_BRP.edf", Kind::brp}}));
}

// Root reads any folder whatever its mode; drop to nobody for the scan so the mode matters.
class UnprivilegedScope {
public:
    UnprivilegedScope() {
        if (::geteuid() != 0) {
            active_ = true;
            return;
        }
        if (::setegid(65534) != 0) {
            return;
        }
        if (::seteuid(65534) != 0) {
            static_cast<void>(::setegid(0));
            return;
        }
        dropped_ = active_ = true;
    }
    ~UnprivilegedScope() {
        if (dropped_) {
            static_cast<void>(::seteuid(0));
            static_cast<void>(::setegid(0));
        }
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

    // Whether folder modes now apply to this process.
    bool active() const noexcept { return active_; }

private:
    bool active_ = false;
    bool dropped_ = false;
};

TEST(ScanDatalog, UnreadableSubfolderIsSkippedQuietly) {
    TemporaryFolder card;
    namespace fs = std::filesystem;
    fs::permissions(card.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const auto datalog = card.makeFolder("DATALOG");
    card.write("DATALOG/20240101/20240101_000000_BRP.edf", "0");
    card.write("DATALOG/20240102/20240102_000000_BRP.edf", "0");
    card.write("DATALOG/20240103/20240103_000000_BRP.edf", "0");
    const auto locked = datalog / "20240102";
    fs::permissions(locked, fs::perms::none);

    Listing found;
    bool checked = false;
    {
        const UnprivilegedScope unprivileged;
        if (unprivileged.active()) {
            found = namesAndKinds(scanDatalog(datalog));
            checked = true;
        }
    }
    fs::permissions(locked, fs::perms::owner_all);
    if (!checked) {
        GTEST_SKIP() << "running as root without the right to drop to another user";
    }
    EXPECT_EQ(found, (Listing{
                         {"20240101_000000_BRP.edf", Kind::brp},
                         {"20240103_000000_BRP.edf", Kind::brp},
                     }));
}

TEST(ScanDatalog, TheStartInANameIsAValidLocalTimeOrNothing) {
    using calendar::LocalDateTime;
    EXPECT_EQ(localStartInName("DATALOG/20240228/20240229_221530_PLD.edf"),
              (LocalDateTime{2024, 2, 29, 22, 15, 30}));
    // Never carried into the next day, month or year as the calendar would.
    for (const char* name :
         {"20230229_221530_PLD.edf", "20241301_000000_BRP.edf", "20240100_000000_BRP.edf",
          "20240101_240000_EVE.edf", "20240101_226000_EVE.edf", "20240101-221530_PLD.edf",
          "2024011_221530_PLD.edf", "20240101_22153_PLD.edf", "late_PLD.edf", ""}) {
        EXPECT_FALSE(localStartInName(name).has_value()) << name;
    }
}

TEST(ScanDatalog, RealCardListsEveryRecordingInNameOrder) {
    VELUNORA_REQUIRE_REAL_CARD(card);
    const auto files = scanDatalog(card / "DATALOG");
    ASSERT_EQ(files.size(), 57u);
    const std::map<std::string, Kind> kindOfSuffix{{"BRP", Kind::brp},
                                                   {"PLD", Kind::pld},
                                                   {"SAD", Kind::sad},
                                                   {"EVE", Kind::eve},
                                                   {"CSL", Kind::csl}};
    std::map<Kind, int> counts;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const std::string name = files[index].url.filename().string();
        ASSERT_EQ(name.size(), std::string("20230822_001107_CSL.edf").size()) << name;
        EXPECT_EQ(files[index].kind, kindOfSuffix.at(name.substr(16, 3))) << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(files[index].url)) << name;
        if (index > 0) {
            EXPECT_LT(files[index - 1].url.filename(), files[index].url.filename());
        }
        ++counts[files[index].kind];
    }
    EXPECT_EQ(files.front().url.filename(), "20230822_001107_CSL.edf");
    EXPECT_EQ(
        counts,
        (std::map<Kind, int>{
            {Kind::brp, 17}, {Kind::pld, 17}, {Kind::sad, 17}, {Kind::eve, 3}, {Kind::csl, 3}}));
}

} // namespace
} // namespace velunora
