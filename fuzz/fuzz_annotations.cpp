// Any block given to the annotation parser yields trimmed, non-empty, valid UTF-8 texts.
#include "cardimport/EDFReader.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    for (const velunora::EDFAnnotation& annotation : velunora::parseAnnotationBlock(block)) {
        const std::string_view text = annotation.text;
        if (text.empty() || velunora::text::trimmed(text) != text ||
            velunora::text::repairedUTF8(text) != text ||
            text.find('\x14') != std::string_view::npos ||
            text.find('\0') != std::string_view::npos) {
            std::abort();
        }
    }
    return 0;
}
