#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace velunora {

class Settings;

// The last successful sync, kept in the settings across launches: when, the nights published,
// and how many of them that sync brought.
struct LastSync {
    static inline const QString instantKey = QStringLiteral("last-sync");
    static inline const QString nightsKey = QStringLiteral("last-sync-nights");
    static inline const QString newNightsKey = QStringLiteral("last-sync-new-nights");

    QDateTime instant;
    qint64 nights = 0;
    qint64 newNights = 0;

    // Nothing when none is kept, or when a settings file edited by hand holds nonsense.
    static std::optional<LastSync> read(const Settings& settings);
    void write(Settings& settings) const;
    static void forget(Settings& settings);
};

} // namespace velunora
