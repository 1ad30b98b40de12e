#include "sync/LastSync.h"

#include "sync/Settings.h"

namespace velunora {

std::optional<LastSync> LastSync::read(const Settings& settings) {
    const QDateTime instant =
        QDateTime::fromString(settings.value(instantKey).toString(), Qt::ISODateWithMs);
    bool nightsRead = false;
    bool newNightsRead = false;
    const qint64 nights = settings.value(nightsKey).toLongLong(&nightsRead);
    const qint64 newNights = settings.value(newNightsKey).toLongLong(&newNightsRead);
    if (!instant.isValid() || !nightsRead || !newNightsRead || nights < 0 || newNights < 0 ||
        newNights > nights) {
        return std::nullopt;
    }
    return LastSync{instant.toUTC(), nights, newNights};
}

void LastSync::write(Settings& settings) const {
    settings.setValue(instantKey, instant.toString(Qt::ISODateWithMs));
    settings.setValue(nightsKey, nights);
    settings.setValue(newNightsKey, newNights);
}

void LastSync::forget(Settings& settings) {
    settings.remove(instantKey);
    settings.remove(nightsKey);
    settings.remove(newNightsKey);
}

} // namespace velunora
