// Any bytes in a card's import cache decode to a cache or to nothing, never to a crash or an
// endless allocation. The fuzz bytes are the body of a file whose heading and digest the harness
// writes, so that the fuzzer reaches the decoder past the digest; a first byte of 0 hands the
// bytes over as they are. A decoded cache encodes to a file that decodes to a cache of the same
// shape.
#include "nights/ImportCache.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using velunora::ImportCache;

// The file of an empty cache is its heading, an empty body (three empty texts and three empty
// lists, eight bytes each) and the digest.
constexpr std::size_t emptyBodySize = 6 * 8;
constexpr std::size_t digestSize = 8;

std::string fileAround(std::string_view body) {
    const std::string empty = velunora::encodeImportCache(ImportCache{});
    std::string file = empty.substr(0, empty.size() - emptyBodySize - digestSize);
    file.append(body);
    const auto digest = static_cast<std::uint64_t>(velunora::fnv1a64(file));
    for (int index = 0; index < 8; ++index) {
        file.push_back(static_cast<char>((digest >> (8 * index)) & 0xff));
    }
    return file;
}

bool sameShape(const ImportCache& a, const ImportCache& b) {
    return a.serialNumber == b.serialNumber && a.timeZone == b.timeZone && a.locale == b.locale &&
           a.headers.size() == b.headers.size() && a.eventFiles.size() == b.eventFiles.size() &&
           a.nights.size() == b.nights.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool asTheyAre = !bytes.empty() && bytes.front() == '\0';
    const auto decoded =
        velunora::decodeImportCache(asTheyAre ? std::string(bytes.substr(1)) : fileAround(bytes));
    if (decoded) {
        const auto again = velunora::decodeImportCache(velunora::encodeImportCache(*decoded));
        if (!again || !sameShape(*again, *decoded)) {
            std::abort();
        }
    }
    return 0;
}
