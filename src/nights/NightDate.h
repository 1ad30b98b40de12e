#pragma once

#include "records/Date.h"

#include <optional>

namespace velunora {

// Nights run from noon to noon: a session or event is filed under the start of the local day
// that holds the instant twelve hours (of absolute time) before it. Nothing for an instant the
// calendar cannot place.
std::optional<Date> nightDate(Date instant);

} // namespace velunora
