// Any bytes given to the EDF reader end in a document or in its import error, in both modes.
#include "cardimport/EDFReader.h"
#include "cardimport/PAPCardImportError.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A zone with clock changes, so that the calendar's awkward paths are reached.
    ::setenv("TZ", "Europe/Paris", 1);
    return 0;
}

namespace {

std::optional<velunora::EDFDocument> parse(std::string_view bytes, bool includeSamples) {
    try {
        return velunora::parseEDFBytes(bytes, "fuzz.edf", includeSamples);
    } catch (const velunora::PAPCardImportError& error) {
        if (error.kind() != velunora::PAPCardImportError::Kind::unreadable ||
            error.message().empty()) {
            std::abort();
        }
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto header = parse(bytes, false);
    const auto full = parse(bytes, true);
    if (full) {
        // Full mode checks everything header-only mode checks, and agrees with it.
        if (!header || !(header->start == full->start) ||
            !(header->duration == full->duration || header->duration != header->duration)) {
            std::abort();
        }
        for (const velunora::EDFAnnotation& annotation : full->annotations) {
            if (annotation.text.empty() ||
                velunora::text::trimmed(annotation.text) != annotation.text) {
                std::abort();
            }
        }
    }
    return 0;
}
