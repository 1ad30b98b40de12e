#include "sync/cloud/cloudkit/SignInCallbackRequest.h"

#include <QList>
#include <QtEndian>
#include <array>
#include <cstring>

namespace velunora::signin {

namespace {

bool isTokenCharacter(char character) {
    const auto byte = static_cast<unsigned char>(character);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9')) {
        return true;
    }
    return std::strchr("!#$%&'*+-.^_`|~", character) != nullptr && character != '\0';
}

bool isVisible(char character) {
    const auto byte = static_cast<unsigned char>(character);
    return byte > 0x20 && byte < 0x7f;
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t')) {
        text.chop(1);
    }
    return text;
}

// The request line: GET, a target of visible characters in origin form, HTTP/1.x.
std::optional<QByteArrayView> targetOf(QByteArrayView line) {
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first < 0 || last <= first + 1) {
        return std::nullopt;
    }
    const QByteArrayView method = line.first(first);
    const QByteArrayView target = line.sliced(first + 1, last - first - 1);
    const QByteArrayView version = line.sliced(last + 1);
    if (method != "GET" || (version != "HTTP/1.1" && version != "HTTP/1.0") ||
        !target.startsWith('/')) {
        return std::nullopt;
    }
    for (const char character : target) {
        if (!isVisible(character) || character == '#') {
            return std::nullopt;
        }
    }
    return target;
}

struct FetchMetadata {
    bool fromPage = false;
    bool navigation = false;
    bool crossSite = false;
};

// One header line; false when it is not one. A browser marks what a page fetches: anything but
// a document opened by navigation, and any request that names the page's origin.
bool readHeader(QByteArrayView line, FetchMetadata& metadata) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
        return false;
    }
    const QByteArrayView name = line.first(colon);
    for (const char character : name) {
        if (!isTokenCharacter(character)) {
            return false;
        }
    }
    const QByteArrayView value = trimmed(line.sliced(colon + 1));
    for (const char character : value) {
        const auto byte = static_cast<unsigned char>(character);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7f) {
            return false;
        }
    }
    if (name.compare("Sec-Fetch-Mode", Qt::CaseInsensitive) == 0) {
        metadata.fromPage |= value != "navigate";
        metadata.navigation |= value == "navigate";
    } else if (name.compare("Sec-Fetch-Site", Qt::CaseInsensitive) == 0) {
        metadata.crossSite |= value == "cross-site";
    } else if (name.compare("Sec-Fetch-Dest", Qt::CaseInsensitive) == 0) {
        metadata.fromPage |= value != "document";
    } else if (name.compare("Origin", Qt::CaseInsensitive) == 0) {
        // A top-level GET navigation carries none, whatever its origin.
        metadata.fromPage = true;
    }
    return true;
}

} // namespace

std::optional<CallbackRequest> readCallbackRequest(QByteArrayView received) {
    const qsizetype end = received.first(std::min(received.size(), maximumRequestHeadBytes + 4))
                              .indexOf(QByteArrayView("\r\n\r\n"));
    if (end < 0 || end + 4 > maximumRequestHeadBytes) {
        if (received.size() >= maximumRequestHeadBytes || end >= 0) {
            return CallbackRequest{Refusal::malformed, {}};
        }
        return std::nullopt;
    }
    const QByteArrayView head = received.first(end);
    const auto malformed = CallbackRequest{Refusal::malformed, {}};

    std::optional<QByteArrayView> target;
    FetchMetadata metadata;
    qsizetype position = 0;
    bool first = true;
    while (position <= head.size()) {
        qsizetype lineEnd = head.indexOf(QByteArrayView("\r\n"), position);
        if (lineEnd < 0) {
            lineEnd = head.size();
        }
        const QByteArrayView line = head.sliced(position, lineEnd - position);
        // A bare CR or LF, or a NUL, is no line of HTTP/1.
        if (line.contains('\r') || line.contains('\n') || line.contains('\0')) {
            return malformed;
        }
        if (first) {
            target = targetOf(line);
            if (!target) {
                return malformed;
            }
            first = false;
        } else if (line.startsWith(' ') || line.startsWith('\t') || !readHeader(line, metadata)) {
            // Folded header lines are obsolete; no browser sends them.
            return malformed;
        }
        position = lineEnd + 2;
    }

    // Cross-site is what the service's redirect brings, but only as a navigation.
    if (metadata.fromPage || (metadata.crossSite && !metadata.navigation)) {
        return CallbackRequest{Refusal::notNavigation, {}};
    }
    const qsizetype question = target->indexOf('?');
    const QByteArrayView path = question < 0 ? *target : target->first(question);
    if (path != QByteArrayView(callbackPath.toLatin1())) {
        return CallbackRequest{Refusal::otherPath, {}};
    }
    std::optional<QByteArray> token;
    if (question >= 0) {
        const QByteArray query = target->sliced(question + 1).toByteArray();
        for (const QByteArray& pair : query.split('&')) {
            if (!pair.startsWith("ckWebAuthToken=")) {
                continue;
            }
            if (token) {
                return malformed; // which of the two would be the service's?
            }
            token = QByteArray::fromPercentEncoding(pair.sliced(qsizetype{15}));
        }
    }
    if (!token || token->isEmpty()) {
        return CallbackRequest{Refusal::noToken, {}};
    }
    for (const char character : *token) {
        if (!isVisible(character)) {
            return malformed;
        }
    }
    return CallbackRequest{Refusal::none, QString::fromLatin1(*token)};
}

namespace {

std::optional<quint32> hexNumber(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 8) {
        return std::nullopt;
    }
    quint32 value = 0;
    for (const char character : text) {
        int digit = 0;
        if (character >= '0' && character <= '9') {
            digit = character - '0';
        } else if (character >= 'A' && character <= 'F') {
            digit = character - 'A' + 10;
        } else if (character >= 'a' && character <= 'f') {
            digit = character - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<quint32>(digit);
    }
    return value;
}

struct Endpoint {
    quint32 address = 0; // IPv4, host order
    quint16 port = 0;
};

// "0100007F:B86B", or 32 hex digits for IPv6: the kernel prints each 32-bit word of the address
// as the machine holds it, so its bytes in memory are the address's bytes in network order.
std::optional<Endpoint> endpointOf(QByteArrayView field) {
    const qsizetype colon = field.indexOf(':');
    if (colon < 0) {
        return std::nullopt;
    }
    const QByteArrayView address = field.first(colon);
    const auto port = hexNumber(field.sliced(colon + 1));
    if (!port || *port > 0xffff || (address.size() != 8 && address.size() != 32)) {
        return std::nullopt;
    }
    std::array<unsigned char, 16> bytes{};
    const qsizetype words = address.size() / 8;
    for (qsizetype word = 0; word < words; ++word) {
        const auto value = hexNumber(address.sliced(word * 8, 8));
        if (!value) {
            return std::nullopt;
        }
        std::memcpy(bytes.data() + word * 4, &*value, 4);
    }
    const unsigned char* v4 = bytes.data();
    if (words == 4) {
        static constexpr std::array<unsigned char, 12> mapped{0, 0, 0, 0, 0,    0,
                                                              0, 0, 0, 0, 0xff, 0xff};
        if (std::memcmp(bytes.data(), mapped.data(), mapped.size()) != 0) {
            return std::nullopt; // not an IPv4 peer: never ours
        }
        v4 = bytes.data() + 12;
    }
    return Endpoint{qFromBigEndian<quint32>(v4), static_cast<quint16>(*port)};
}

} // namespace

std::optional<uint> ownerOfConnection(QByteArrayView table, quint32 peerAddress, quint16 peerPort,
                                      quint32 listenerAddress, quint16 listenerPort) {
    std::optional<uint> owner;
    for (const QByteArray& line : table.toByteArray().split('\n')) {
        QList<QByteArray> fields = line.simplified().split(' ');
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid …
        if (fields.size() < 8) {
            continue;
        }
        const auto local = endpointOf(fields[1]);
        const auto remote = endpointOf(fields[2]);
        // Only an established connection has its owner's uid; a closing one may show 0.
        if (!local || !remote || fields[3] != "01" || local->address != peerAddress ||
            local->port != peerPort || remote->address != listenerAddress ||
            remote->port != listenerPort) {
            continue;
        }
        bool ok = false;
        const uint uid = fields[7].toUInt(&ok);
        if (!ok || (owner && *owner != uid)) {
            return std::nullopt;
        }
        owner = uid;
    }
    return owner;
}

} // namespace velunora::signin
