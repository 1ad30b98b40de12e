#include "nights/NightDate.h"

#include "platform/LocalCalendar.h"

namespace velunora {

std::optional<Date> nightDate(Date instant) {
    return calendar::startOfLocalDay(Date{instant.secondsSince1970 - 43200.0});
}

} // namespace velunora
