#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the sign-in listener reads of a request, without any socket: the request head as
// received, and the kernel's table of TCP sockets, so that both can be tried on any input.
namespace velunora::signin {

inline const QString callbackPath = QStringLiteral("/icloud-sign-in");
// A browser's request line and headers fit well within this; the sign-in's return is a short
// GET with no body.
inline constexpr qsizetype maximumRequestHeadBytes = 8 * 1024;

enum class Refusal {
    none,
    // Not an HTTP/1 GET request head, too long, or a token that cannot be one.
    malformed,
    // Fetched by a page (an image, a script, a form) rather than opened by the browser itself.
    notNavigation,
    // Another address than the callback's.
    otherPath,
    // The callback's address without a token.
    noToken,
};

struct CallbackRequest {
    Refusal refusal = Refusal::none;
    QString token; // set when nothing is refused
};

// The verdict on a request head once its blank line has arrived (or it has grown past
// maximumRequestHeadBytes); nothing while it may still be incomplete. Bytes after the blank line
// are not looked at.
std::optional<CallbackRequest> readCallbackRequest(QByteArrayView received);

// The owner of the local end of a loopback TCP connection, read from the text of
// /proc/net/tcp or /proc/net/tcp6: the row whose local end is `peer` and remote end `listener`.
// IPv4 addresses in host order; a peer of an IPv6 socket appears as an IPv4-mapped address.
// Nothing when no established row matches, or when rows disagree.
std::optional<uint> ownerOfConnection(QByteArrayView table, quint32 peerAddress, quint16 peerPort,
                                      quint32 listenerAddress, quint16 listenerPort);

} // namespace velunora::signin
