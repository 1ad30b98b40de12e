#include "platform/Localization.h"

#include <atomic>

namespace velunora {
namespace {
std::atomic<Localizer> installedLocalizer{nullptr};
}

std::string localized(const char* context, std::string_view frenchText) {
    if (Localizer localizer = installedLocalizer.load(std::memory_order_acquire)) {
        return localizer(context, frenchText);
    }
    return std::string(frenchText);
}

void installLocalizer(Localizer localizer) noexcept {
    installedLocalizer.store(localizer, std::memory_order_release);
}

} // namespace velunora
