#include "platform/Text.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace velunora::text {
namespace {

using namespace std::string_literals;

const std::string replacement = "\xEF\xBF\xBD";

using testing::ScopedLocale;

// One U+FFFD per maximal subpart: the longest start of a well-formed sequence, else one byte.
TEST(UTF8Repair, ReplacesEachMaximalSubpart) {
    EXPECT_EQ(repairedUTF8("Fr\u00e9quence \U0001F600 a\0b"s), "Fr\u00e9quence \U0001F600 a\0b"s);
    EXPECT_EQ(repairedUTF8("a\xFF"
                           "b"),
              "a" + replacement + "b");
    EXPECT_EQ(repairedUTF8("\xE2\x82"
                           "A"),
              replacement + "A");                                   // truncated euro sign
    EXPECT_EQ(repairedUTF8("\xF0\x9F\x98"), replacement);           // truncated emoji
    EXPECT_EQ(repairedUTF8("\xC0\xAF"), replacement + replacement); // overlong
    EXPECT_EQ(repairedUTF8("\xED\xA0\x80"), replacement + replacement + replacement); // surrogate
    EXPECT_EQ(repairedUTF8("\x80\xC3"), replacement + replacement);
}

TEST(WhiteSpace, TrimsAndSplitsAtUnicodeWhiteSpace) {
    for (char32_t c : {U'\t', U'\v', U'\r', U'\u0085', U'\u00A0', U'\u1680', U'\u200A', U'\u2029',
                       U'\u202F', U'\u3000'}) {
        EXPECT_TRUE(isWhiteSpaceOrLineBreak(c)) << static_cast<unsigned>(c);
    }
    for (char32_t c : {U'a', U'\0', U'\u200B', U'\uFEFF', char32_t{0x110000}}) {
        EXPECT_FALSE(isWhiteSpaceOrLineBreak(c)) << static_cast<unsigned>(c);
    }
    EXPECT_EQ(trimmed("\u00A0\u3000L/min a\r\n"), "L/min a");
    EXPECT_EQ(trimmed(" \t\n "), "");
    EXPECT_EQ(trimmed(" x\xE2\x80"), "x\xE2\x80"); // a broken sequence is not white space
    EXPECT_EQ(splitAtWhiteSpace("  AirSense 10\u00A0 AutoSet \t"),
              (std::vector<std::string_view>{"AirSense", "10", "AutoSet"}));
    EXPECT_TRUE(splitAtWhiteSpace(" \u2028 ").empty());
}

TEST(WhiteSpace, ASCIIShortcutAgreesWithTheGeneralWay) {
    // Every ASCII byte at both ends and inside: the shortcut must trim exactly what the UTF-8
    // repair and Unicode trimming would.
    for (int byte = 0; byte < 0x80; ++byte) {
        const std::string c(1, static_cast<char>(byte));
        const std::string text = c + c + "a" + c + "b" + c;
        const std::string repaired = repairedUTF8(text);
        const auto shortcut = trimmedASCII(text);
        ASSERT_TRUE(shortcut) << byte;
        EXPECT_EQ(*shortcut, trimmed(repaired)) << byte;
    }
    EXPECT_EQ(trimmedASCII(" \t\r\n"), std::optional<std::string_view>(""));
    EXPECT_FALSE(trimmedASCII("\u00A0x"));
    EXPECT_FALSE(trimmedASCII("x\xFF"));
}

TEST(WhiteSpace, SplitsLinesWithCRLFAsOneBreak) {
    EXPECT_EQ(
        splitLines("\n#PNA A\r\n#SRN 1\r#X\u2028y\u0085\v\fz\t\n"),
        (std::vector<std::string_view>{"", "#PNA A", "#SRN 1", "#X", "y", "", "", "z\t", ""}));
}

TEST(Folding, LowerCasesAndDropsDiacritics) {
    const ScopedLocale locale("fr_FR.UTF-8");
    EXPECT_EQ(folded("FLOW.40ms"), "flow.40ms");
    EXPECT_EQ(folded("L\u00e4ck"), "lack");
    EXPECT_EQ(folded("\u00c9V\u00c9NEMENT e\u0301"), "evenement e");
    EXPECT_EQ(folded("\u00d8re \u0141\u00f3d\u017a"), "\u00f8re \u0142odz"); // no decomposition
}

TEST(Folding, FollowsTheLocaleCaseRules) {
    {
        const ScopedLocale locale("tr_TR.UTF-8");
        EXPECT_EQ(currentLocaleIdentifier(), "tr_TR");
        EXPECT_EQ(folded("I"), "\u0131"); // dotless i
        EXPECT_EQ(folded("\u0130"), "i"); // dotted capital: i, its dot a mark removed
        EXPECT_TRUE(containsIgnoringCase("EDF Annotations", "Annotations"));
        EXPECT_FALSE(containsIgnoringCase("EDF ANNOTATIONS", "Annotations"));
        EXPECT_TRUE(containsIgnoringCase("EDF ANNOTAT\u0130ONS", "Annotations"));
    }
    const ScopedLocale locale("de_CH.UTF-8@euro");
    EXPECT_EQ(currentLocaleIdentifier(), "de_CH");
    EXPECT_EQ(folded("I"), "i");
}

TEST(Folding, CaseInsensitiveContains) {
    const ScopedLocale locale("en_GB.UTF-8");
    EXPECT_TRUE(containsIgnoringCase("EDF Annotations", "Annotations"));
    EXPECT_TRUE(containsIgnoringCase("EDF ANNOTATIONS", "annotations"));
    EXPECT_FALSE(containsIgnoringCase("Annotation", "Annotations"));
    EXPECT_FALSE(containsIgnoringCase("anything", ""));
    EXPECT_TRUE(containsIgnoringCase("D\u00c9BIT", "d\u00e9bit"));
    EXPECT_FALSE(containsIgnoringCase("DEBIT", "d\u00e9bit")); // case only: diacritics count
}

TEST(Folding, SearchKeepsTheLocaleItWasMadeIn) {
    std::optional<CaseInsensitiveSearch> search;
    {
        const ScopedLocale locale("tr_TR.UTF-8");
        search.emplace("Annotations");
    }
    const ScopedLocale locale("en_GB.UTF-8");
    EXPECT_TRUE(search->isFoundIn("EDF Annotations"));
    EXPECT_FALSE(search->isFoundIn("EDF ANNOTATIONS")); // dotless in Turkish
    EXPECT_TRUE(CaseInsensitiveSearch("Annotations").isFoundIn("EDF ANNOTATIONS"));
    EXPECT_FALSE(CaseInsensitiveSearch("").isFoundIn("anything"));
}

} // namespace
} // namespace velunora::text
