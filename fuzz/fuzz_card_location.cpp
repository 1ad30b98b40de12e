// Any stored bytes decode to a saved card location or to nothing. A decoded location encodes to
// bytes that decode to the same location, and so does any location the app can make, whatever bytes
// its paths and UUID hold.
#include "sync/card/CardLocation.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using velunora::SavedCardLocation;

void checkRoundTrip(const SavedCardLocation& saved) {
    const QByteArray bytes = saved.encoded();
    const auto decoded = SavedCardLocation::decode(bytes);
    if (!decoded || !(*decoded == saved) || decoded->encoded() != bytes) {
        std::abort();
    }
}

// The bytes up to the next NUL, which is stepped over.
std::string takePart(std::string_view& rest) {
    const std::size_t end = std::min(rest.find('\0'), rest.size());
    std::string part(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return part;
}

// A location from the bytes: NUL-separated absolute path, UUID and path in the file system.
void checkMadeLocation(std::string_view bytes) {
    SavedCardLocation saved{"/" + takePart(bytes), std::nullopt};
    std::string uuid = takePart(bytes);
    if (!uuid.empty()) {
        saved.location = velunora::FileSystemLocation{std::move(uuid), std::string(bytes)};
    }
    checkRoundTrip(saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto saved = SavedCardLocation::decode(bytes)) {
        if (!saved->absolutePath.is_absolute() ||
            (saved->location && saved->location->fileSystemUUID.empty())) {
            std::abort();
        }
        checkRoundTrip(*saved);
    }
    checkMadeLocation(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
