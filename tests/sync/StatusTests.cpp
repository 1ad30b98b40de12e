#include "sync/Status.h"

#include <gtest/gtest.h>

namespace velunora {
namespace {

TEST(Status, TitlesAreTheFrenchTexts) {
    EXPECT_EQ(Status::needsFolder().title(), QStringLiteral("En attente d\u2019une carte SD"));
    EXPECT_EQ(Status().title(), Status::needsFolder().title());
    EXPECT_EQ(Status::cardNeedsAccess(QStringLiteral("ResMed X")).title(),
              QStringLiteral("Autorisation requise"));
    EXPECT_EQ(Status::cardReady(QStringLiteral("ResMed AirSense 10")).title(),
              QStringLiteral("Carte d\u00e9tect\u00e9e \u00b7 ResMed AirSense 10"));
    EXPECT_EQ(Status::cardReady(QString()).title(),
              QStringLiteral("Carte d\u00e9tect\u00e9e \u00b7 "))
        << "the trailing space stays";
    EXPECT_EQ(Status::success(1).title(), QStringLiteral("1 nuits synchronis\u00e9es"));
    EXPECT_EQ(Status::success(0).title(), QStringLiteral("0 nuits synchronis\u00e9es"));
    EXPECT_EQ(Status::success(1095).title(), QStringLiteral("1095 nuits synchronis\u00e9es"));
    EXPECT_EQ(Status::failed(QStringLiteral("Remise \u00e0 z\u00e9ro impossible : x")).title(),
              QStringLiteral("\u00c9chec de la synchronisation"));
    EXPECT_EQ(Status::syncing().title(), QStringLiteral("Synchronisation\u2026"));
    EXPECT_EQ(Status::resetting().title(), QStringLiteral("Remise \u00e0 z\u00e9ro\u2026"));
    EXPECT_EQ(Status::resetComplete().title(),
              QStringLiteral("Donn\u00e9es r\u00e9initialis\u00e9es"));
}

TEST(Status, SymbolsAndEquality) {
    EXPECT_EQ(Status::failed(QStringLiteral("x")).symbolName(),
              QStringLiteral("exclamationmark.icloud"));
    EXPECT_EQ(Status::syncing().symbolName(), QStringLiteral("arrow.triangle.2.circlepath.icloud"));
    EXPECT_EQ(Status::resetting().symbolName(), Status::syncing().symbolName());
    for (const Status& status : {Status::needsFolder(), Status::cardReady(QStringLiteral("a")),
                                 Status::cardNeedsAccess(QStringLiteral("a")), Status::success(3),
                                 Status::resetComplete()}) {
        EXPECT_EQ(status.symbolName(), QStringLiteral("moon.stars"));
    }
    EXPECT_EQ(Status::failed(QStringLiteral("a")), Status::failed(QStringLiteral("a")));
    EXPECT_NE(Status::failed(QStringLiteral("a")), Status::failed(QStringLiteral("b")));
    EXPECT_NE(Status::cardReady(QStringLiteral("a")), Status::cardNeedsAccess(QStringLiteral("a")));
    EXPECT_NE(Status::success(2), Status::success(3));
    EXPECT_EQ(Status::success(2).nightCount(), 2);
    EXPECT_EQ(Status::failed(QStringLiteral("why")).failureText(), QStringLiteral("why"));
    EXPECT_TRUE(Status::cardReady(QStringLiteral("why")).failureText().isEmpty());
    // The panel compares these names.
    EXPECT_EQ(Status::syncing().kindName(), QStringLiteral("syncing"));
    EXPECT_EQ(Status::cardNeedsAccess(QStringLiteral("a")).kindName(),
              QStringLiteral("cardNeedsAccess"));
    EXPECT_EQ(Status::resetComplete().kindName(), QStringLiteral("resetComplete"));
}

} // namespace
} // namespace velunora
