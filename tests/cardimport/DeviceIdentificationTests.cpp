#include "cardimport/DeviceIdentification.h"
#include "cardimport/ResMedCardImporter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace velunora {
namespace {

using testing::TemporaryFolder;

constexpr std::string_view productJSON = R"({
  "FlowGenerator" : {
    "IdentificationProfiles" : {
      "Product" : { "ProductName" : "AirSense11AutoSet", "SerialNumber" : "22222222222" }
    }
  }
})";

void makeCardLayout(const TemporaryFolder& card) {
    card.makeFolder("DATALOG");
    card.write("STR.edf", "0");
}

// ---- Detection -------------------------------------------------------------------------------

TEST(ResMedDetection, NeedsADatalogFolderAndSTR) {
    TemporaryFolder onlyStr;
    onlyStr.write("STR.edf", "0");
    onlyStr.write("DATALOG", "a plain file, not a folder");
    EXPECT_EQ(ResMedCardImporter().detect(onlyStr.path()), std::nullopt);

    TemporaryFolder onlyDatalog;
    onlyDatalog.makeFolder("DATALOG");
    EXPECT_EQ(ResMedCardImporter().detect(onlyDatalog.path()), std::nullopt);

    EXPECT_EQ(ResMedCardImporter().detect(onlyDatalog.path() / "missing"), std::nullopt);
}

TEST(ResMedDetection, CardWithoutIdentificationFilesGetsTheFallbacks) {
    TemporaryFolder card;
    makeCardLayout(card);
    const auto detected = ResMedCardImporter().detect(card.path());
    ASSERT_TRUE(detected);
    EXPECT_EQ(detected->rootFolder, card.path());
    EXPECT_EQ(detected->manufacturer, "ResMed");
    EXPECT_EQ(detected->model, "Machine ResMed");
    EXPECT_EQ(detected->serialNumber, "");
    EXPECT_EQ(detected->displayName(), "ResMed Machine ResMed");
}

TEST(ResMedDetection, RealCard) {
    VELUNORA_REQUIRE_REAL_CARD(card);
    const auto detected = ResMedCardImporter().detect(card);
    ASSERT_TRUE(detected);
    EXPECT_EQ(detected->rootFolder, card);
    EXPECT_EQ(detected->manufacturer, "ResMed");
    EXPECT_EQ(detected->model, "AirSense 10 AutoSet");
    EXPECT_EQ(detected->serialNumber, "23192691004");
    EXPECT_TRUE(canReadCard(card));
}

// ---- Identification files on a card ---------------------------------------------------------

TEST(ReadDeviceIdentification, JSONIsPreferredOverTGT) {
    TemporaryFolder card;
    card.write("Identification.json", productJSON);
    card.write("Identification.tgt", "#PNA AirSense_10_AutoSet\n#SRN 111\n");
    EXPECT_EQ(readDeviceIdentification(card.path()),
              (DeviceIdentification{"AirSense 11 AutoSet", "22222222222"}));
}

TEST(ReadDeviceIdentification, UnusableJSONFallsBackToTGT) {
    const DeviceIdentification fromTGT{"AirSense 10 AutoSet", "111"};
    for (const std::string_view json : {
             R"({"FlowGenerator":{"IdentificationProfiles":{}}})",
             R"({"FlowGenerator":{"IdentificationProfiles":{"Product":"AirSense11"}}})",
             R"({"FlowGenerator":{"IdentificationProfiles":{"Product":{}})",
             R"([{"FlowGenerator":{"IdentificationProfiles":{"Product":{}}}}])",
             "",
         }) {
        TemporaryFolder card;
        card.write("Identification.json", json);
        card.write("Identification.tgt", "#PNA AirSense_10_AutoSet\n#SRN 111\n");
        EXPECT_EQ(readDeviceIdentification(card.path()), fromTGT) << json;
    }

    TemporaryFolder unreadableJSON;
    unreadableJSON.makeFolder("Identification.json");
    unreadableJSON.write("Identification.tgt", "#PNA AirSense_10_AutoSet\n#SRN 111\n");
    EXPECT_EQ(readDeviceIdentification(unreadableJSON.path()), fromTGT);

    // Valid, but far bigger than any device writes: damage, and never read whole into memory.
    TemporaryFolder oversizedJSON;
    oversizedJSON.write("Identification.json",
                        R"({"FlowGenerator":{"IdentificationProfiles":{"Product":)" +
                            std::string(200 * 1024, ' ') +
                            R"({"ProductName":"AirSense 11 AutoSet"}}}})");
    oversizedJSON.write("Identification.tgt", "#PNA AirSense_10_AutoSet\n#SRN 111\n");
    EXPECT_EQ(readDeviceIdentification(oversizedJSON.path()), fromTGT);
}

TEST(ReadDeviceIdentification, UnreadableTGTGivesTheFallback) {
    TemporaryFolder card;
    card.makeFolder("Identification.tgt");
    EXPECT_EQ(readDeviceIdentification(card.path()), (DeviceIdentification{"Machine ResMed", ""}));
}

// ---- Identification.json --------------------------------------------------------------------

TEST(IdentificationFromJSON, MissingOrMistypedMembersOfProduct) {
    EXPECT_EQ(
        identificationFromJSON(
            R"({"FlowGenerator":{"IdentificationProfiles":{"Product":{"SerialNumber":"9"}}}})"),
        (DeviceIdentification{"AirSense 11", "9"}));
    EXPECT_EQ(
        identificationFromJSON(
            R"({"FlowGenerator":{"IdentificationProfiles":{"Product":{"ProductName":"AirCurve10VAuto"}}}})"),
        (DeviceIdentification{"AirCurve 10 VAuto", ""}));
    EXPECT_EQ(
        identificationFromJSON(
            R"({"FlowGenerator":{"IdentificationProfiles":{"Product":{"ProductName":11,"SerialNumber":[]}}}})"),
        (DeviceIdentification{"AirSense 11", ""}));
}

TEST(IdentificationFromJSON, ReadsOnlyTheProductPath) {
    // Other members, a byte-order mark and escapes do not disturb the read.
    EXPECT_EQ(identificationFromJSON(
                  "\xEF\xBB\xBF"
                  R"({"Other":1,"FlowGenerator":{"IdentificationProfiles":)"
                  R"({"Product":{"ProductName":"AirSense\u00a010","SerialNumber":"7\/8"}}}})"),
              (DeviceIdentification{"AirSense 10", "7/8"}));
    EXPECT_EQ(identificationFromJSON(R"({"Product":{"ProductName":"AirSense11"}})"), std::nullopt);
    EXPECT_EQ(identificationFromJSON("\xFF{}"), std::nullopt);
}

TEST(IdentificationFromJSON, LaterDuplicateMemberWins) {
    EXPECT_EQ(
        identificationFromJSON(
            R"({"FlowGenerator":{"IdentificationProfiles":{"Product":{"SerialNumber":"1","SerialNumber":"2"}}}})"),
        (DeviceIdentification{"AirSense 11", "2"}));
}

// ---- Identification.tgt ---------------------------------------------------------------------

TEST(IdentificationFromTGT, DeviceLayoutWithEmptyLines) {
    EXPECT_EQ(identificationFromTGT("\n#IMF 0001\n\n#SRN 23192691004\n\n#SID SX567-0401\n\n"
                                    "#PNA AirSense_10_AutoSet\n\n#PCD 37028\n"),
              (DeviceIdentification{"AirSense 10 AutoSet", "23192691004"}));
}

TEST(IdentificationFromTGT, KeyAndValueSeparation) {
    // A tab separates like a space; the value is trimmed of spaces and tabs; the line itself of
    // any white space; CR LF, CR and U+2028 all end lines.
    EXPECT_EQ(identificationFromTGT("\xE3\x80\x80#PNA\tAirSense_11 \t\r\n#SRN  42\t\r"),
              (DeviceIdentification{"AirSense 11", "42"}));
    EXPECT_EQ(identificationFromTGT("#SRN 1\xE2\x80\xA8#PNA S9"),
              (DeviceIdentification{"S9", "1"}));
    // White space other than spaces and tabs does not separate the key.
    EXPECT_EQ(identificationFromTGT("#SRN\xC2\xA0"
                                    "42\n"),
              (DeviceIdentification{"Machine ResMed", ""}));
    // ...and inside the value it stays.
    EXPECT_EQ(identificationFromTGT("#SRN 4\xC2\xA0"
                                    "2\n")
                  .serialNumber,
              "4\xC2\xA0"
              "2");
}

TEST(IdentificationFromTGT, IgnoredLinesAndRepeatedKeys) {
    EXPECT_EQ(identificationFromTGT("#PNA\nPNA AirSense\n #SRN 1\n#SRN 2\n#PNAX Other\n"),
              (DeviceIdentification{"Machine ResMed", "2"}));
    EXPECT_EQ(identificationFromTGT("#PNA First\n#PNA Second_one\n").model, "Second one");
    EXPECT_EQ(identificationFromTGT(""), (DeviceIdentification{"Machine ResMed", ""}));
}

TEST(IdentificationFromTGT, TextThatIsNotUTF8CountsAsUnreadable) {
    EXPECT_EQ(identificationFromTGT("#PNA AirSense_10\n#SRN 1\xC3\n"),
              (DeviceIdentification{"Machine ResMed", ""}));
    // The model of the .tgt file is taken as written: no spacing of compact names.
    EXPECT_EQ(identificationFromTGT("\xEF\xBB\xBF#PNA AirSense10\n").model, "AirSense10");
}

// ---- Model names ----------------------------------------------------------------------------

TEST(NormalizedModelName, SpacesCompactNamesAndCollapsesWhiteSpace) {
    EXPECT_EQ(normalizedModelName("AirSense11"), "AirSense 11");
    EXPECT_EQ(normalizedModelName("AirSense11AutoSet"), "AirSense 11 AutoSet");
    EXPECT_EQ(normalizedModelName("AirCurve10VAuto"), "AirCurve 10 VAuto");
    EXPECT_EQ(normalizedModelName("AirCurve11AirSense10"), "AirCurve 11 AirSense 10");
    EXPECT_EQ(normalizedModelName(" AirSense 10\t\n AutoSet\xE3\x80\x80"), "AirSense 10 AutoSet");
    EXPECT_EQ(normalizedModelName("airsense11"), "airsense11");
    EXPECT_EQ(normalizedModelName(" \t"), "");
}

// ---- Read probe -----------------------------------------------------------------------------

TEST(CanReadCard, FirstExistingCandidateDecides) {
    TemporaryFolder nothing;
    nothing.makeFolder("DATALOG");
    nothing.write("DATALOG/20240101/20240101_230000_BRP.edf", "0");
    EXPECT_FALSE(canReadCard(nothing.path()));

    TemporaryFolder strOnly;
    strOnly.write("STR.edf", "");
    EXPECT_TRUE(canReadCard(strOnly.path()));

    // An identification file that cannot be read settles the answer; STR.edf is not tried.
    TemporaryFolder unreadable;
    unreadable.makeFolder("Identification.tgt");
    unreadable.write("STR.edf", "0");
    EXPECT_FALSE(canReadCard(unreadable.path()));
}

} // namespace
} // namespace velunora
