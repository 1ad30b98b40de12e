// Feeds arbitrary bytes to the readers of the card's identification files: neither may crash,
// hang or throw, whatever a damaged card holds.
#include "cardimport/DeviceIdentification.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Whatever the bytes, the readers hand back valid UTF-8: the texts go into JSON and the UI.
void checkText(std::string_view text) {
    if (velunora::text::repairedUTF8(text) != text) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto fromJSON = velunora::identificationFromJSON(bytes)) {
        checkText(fromJSON->model);
        checkText(fromJSON->serialNumber);
        if (velunora::normalizedModelName(fromJSON->model) != fromJSON->model) {
            std::abort();
        }
    }

    const auto fromTGT = velunora::identificationFromTGT(bytes);
    checkText(fromTGT.model);
    checkText(fromTGT.serialNumber);

    // Normalizing is idempotent: a normalized model never holds a compact name or loose spaces.
    const std::string model = velunora::normalizedModelName(velunora::text::repairedUTF8(bytes));
    checkText(model);
    if (velunora::normalizedModelName(model) != model) {
        std::abort();
    }
    return 0;
}
