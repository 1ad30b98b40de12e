#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>
#include <chrono>
#include <string_view>
#include <utility>
#include <vector>

// Blocking HTTP exchanges for the stores that talk to a server: every request has a deadline as
// a whole and a bound on what it reads back, so that a server that trickles, stalls or never
// ends its answer costs a clear failure, never a hung sync or the memory of the machine.
namespace velunora::http {

using Headers = std::vector<std::pair<QByteArray, QByteArray>>;

struct Answer {
    int status = 0; // 0: no HTTP answer at all
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    Headers headers;
    // The answer was cut off because it grew past the bound of its request.
    bool oversized = false;
    // The request was given up: no progress for the transfer timeout, or past its deadline.
    bool stalled = false;
    bool pastDeadline = false;
    // The limit that was reached, in whole seconds, as the user reads it.
    std::chrono::seconds waited{};

    QByteArray header(const QByteArray& name) const;
};

// How long one request may take as a whole: a base, and the time its body takes at a slow
// line's rate, so a payload of tens of megabytes still goes through while a server that trickles
// or never ends its answer is given up.
struct Deadline {
    std::chrono::milliseconds base;
    qint64 bytesPerSecond;

    std::chrono::milliseconds forBody(qint64 bytes) const;
};

// Bytes to send as a request's body, borrowed, never copied (a payload is megabytes): they must
// outlive the request, which every send here waits for.
QByteArray borrowedBody(std::string_view bytes);

// Transport failures (and a request we gave up) say nothing about the resource, even when the
// status line had arrived before.
bool isTransportFailure(QNetworkReply::NetworkError error);

// Whether some interface other than loopback is up with an address.
bool hasNetwork();
bool isLoopback(const QUrl& url);

// One operation's requests, on the calling thread, each over a connection of its own (HTTP/1.1,
// TLS for https, the certificate always verified), so any worker thread may run them. The answer
// is read here, byte by byte as it arrives, whatever its framing (a length, chunks, or the end of
// the connection) and whatever its status: Qt's own HTTP client holds some answers whole (a 401
// or 407, a compressed body) before anyone may look at them. Bodies are asked for uncompressed
// and kept as sent. Redirects are never followed: they would take the credentials and the nights
// somewhere the user did not choose.
class Connection {
public:
    Connection(Headers commonHeaders, std::chrono::milliseconds stallTimeout, Deadline deadline);

    // Waits for the whole answer, cutting it off once it announces or brings more than
    // `maximumAnswerBytes` of body, and giving up past the deadline (extended by the time an
    // announced body takes at the slow rate).
    Answer send(const QByteArray& verb, const QUrl& url, const Headers& headers,
                const QByteArray& body, qint64 maximumAnswerBytes);

private:
    Headers commonHeaders_;
    std::chrono::milliseconds stallTimeout_;
    Deadline deadline_;
};

} // namespace velunora::http
