#include "sync/LastSync.h"
#include "sync/Settings.h"

#include <gtest/gtest.h>

namespace velunora {
namespace {

TEST(LastSync, ReadsBackWhatWasWrittenAndNothingFromAFileEditedIntoNonsense) {
    MemorySettings settings;
    EXPECT_FALSE(LastSync::read(settings)) << "none kept yet";

    const QDateTime instant(QDate(2026, 12, 8), QTime(7, 2, 3, 456), Qt::UTC);
    LastSync{instant, 412, 1}.write(settings);
    const auto read = LastSync::read(settings);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->instant, instant);
    EXPECT_EQ(read->nights, 412);
    EXPECT_EQ(read->newNights, 1);

    // Each of these would show a line that cannot be true ("3 nuits, dont 5 nouvelles").
    const std::vector<std::pair<QString, QVariant>> nonsense{
        {LastSync::instantKey, QStringLiteral("hier matin")},
        {LastSync::nightsKey, QStringLiteral("beaucoup")},
        {LastSync::nightsKey, -3},
        {LastSync::newNightsKey, 413},
        {LastSync::newNightsKey, -1},
    };
    for (const auto& [key, value] : nonsense) {
        LastSync{instant, 412, 1}.write(settings);
        settings.setValue(key, value);
        EXPECT_FALSE(LastSync::read(settings)) << key.toStdString();
    }

    LastSync{instant, 412, 1}.write(settings);
    LastSync::forget(settings);
    EXPECT_FALSE(LastSync::read(settings));
    EXPECT_FALSE(settings.value(LastSync::nightsKey).isValid());
}

} // namespace
} // namespace velunora
