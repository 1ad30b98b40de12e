// Any bytes a server sends, cut into any pieces, read as one HTTP answer or as a refusal: the
// body never passes its bound, a finished answer takes nothing more, and where the pieces fall
// changes nothing.
#include "sync/cloud/HttpAnswerReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using velunora::http::AnswerReader;
using Progress = AnswerReader::Progress;

struct Outcome {
    Progress progress;
    int status;
    QByteArray body;

    bool operator==(const Outcome& other) const {
        return progress == other.progress &&
               (progress != Progress::done || (status == other.status && body == other.body));
    }
};

// Feeds `bytes` in pieces of the sizes `cuts` gives (whole when empty), then closes.
Outcome read(const QByteArray& bytes, const QByteArray& cuts, bool head, qint64 bound) {
    AnswerReader reader(head, bound);
    Progress progress = Progress::more;
    qsizetype at = 0;
    qsizetype cut = 0;
    while (at < bytes.size() && progress == Progress::more) {
        const qsizetype size = cuts.isEmpty()
                                   ? bytes.size()
                                   : 1 + static_cast<unsigned char>(cuts[cut++ % cuts.size()]) % 64;
        progress = reader.feed(bytes.mid(at, size));
        at += size;
    }
    if (progress == Progress::more) {
        progress = reader.closed();
    }
    Outcome outcome{progress, reader.status(), reader.takeBody()};
    if (outcome.body.size() > bound) {
        std::abort();
    }
    return outcome;
}

} // namespace

// The first byte chooses the bound and a HEAD request, the next eight the cuts; the rest is what
// the server sends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) {
        return 0;
    }
    const bool head = (data[0] & 0x80) != 0;
    const qint64 bound = qint64{1} << (data[0] & 0x1f);
    const QByteArray cuts(reinterpret_cast<const char*>(data + 1), 8);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 9),
                           static_cast<qsizetype>(size - 9));
    const Outcome whole = read(bytes, {}, head, bound);
    const Outcome pieces = read(bytes, cuts, head, bound);
    // A refusal may come earlier or later with the pieces (an oversized head is seen as soon as
    // it passes its bound), but a finished answer is the same however it arrived.
    if ((whole.progress == Progress::done) != (pieces.progress == Progress::done) ||
        !(whole == pieces)) {
        std::abort();
    }
    return 0;
}
