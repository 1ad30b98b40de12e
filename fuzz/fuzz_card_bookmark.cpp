// Any stored bytes decode to a card bookmark or to nothing. A decoded bookmark encodes to bytes
// that decode to the same bookmark, and so does any bookmark the app can make, whatever bytes
// its paths and UUID hold.
#include "sync/card/CardBookmark.h"

#include <QByteArray>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using velunora::CardBookmark;

void checkRoundTrip(const CardBookmark& bookmark) {
    const QByteArray bytes = bookmark.encoded();
    const auto decoded = CardBookmark::decode(bytes);
    if (!decoded || !(*decoded == bookmark) || decoded->encoded() != bytes) {
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

// A bookmark from the bytes: NUL-separated absolute path, UUID and path in the file system.
void checkMadeBookmark(std::string_view bytes) {
    CardBookmark bookmark{"/" + takePart(bytes), std::nullopt};
    std::string uuid = takePart(bytes);
    if (!uuid.empty()) {
        bookmark.location = velunora::FileSystemLocation{std::move(uuid), std::string(bytes)};
    }
    checkRoundTrip(bookmark);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto bookmark = CardBookmark::decode(bytes)) {
        if (!bookmark->absolutePath.is_absolute() ||
            (bookmark->location && bookmark->location->fileSystemUUID.empty())) {
            std::abort();
        }
        checkRoundTrip(*bookmark);
    }
    checkMadeBookmark(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
