#pragma once

#include <string>
#include <string_view>

namespace velunora {

// Every user-visible text of the core goes through this one hook, with the French text as key
// and default, under a context that names where it comes from (the same literal at every call,
// so that Qt's tools find the texts). The core itself returns the text unchanged; the app
// installs Qt's translation once at start-up, before any worker thread runs.
using Localizer = std::string (*)(const char* context, std::string_view frenchText);

std::string localized(const char* context, std::string_view frenchText);
void installLocalizer(Localizer localizer) noexcept;

} // namespace velunora
