#pragma once

#include "sync/cloud/HttpExchange.h"

#include <QByteArray>
#include <optional>

namespace velunora::http {

// One HTTP/1.1 answer read as its bytes arrive (RFC 9112): the status line, the headers, then a
// body framed by chunks, by a length, or by the end of the connection. Whatever the framing, no
// more than a read's worth is held besides the body, and the body is refused as soon as it grows
// past its bound.
class AnswerReader {
public:
    enum class Progress { more, done, malformed, oversized };

    AnswerReader(bool headRequest, qint64 maximumBodyBytes);

    // The bytes that arrived since the last call.
    Progress feed(const QByteArray& bytes);

    // The server closed the connection: the end of a body without a length, or an answer cut.
    Progress closed();

    bool headRead() const { return state_ > State::headers; }
    int status() const { return status_; }
    qint64 announcedLength() const { return length_; }
    Headers takeHeaders() { return std::move(headers_); }
    QByteArray takeBody() { return std::move(body_); }

private:
    enum class State {
        statusLine,
        headers,
        sized,
        chunkSize,
        chunkData,
        chunkEnd,
        trailers,
        untilClosed,
        done
    };

    // The next line from `at`, without its end; nothing while it has not arrived whole.
    std::optional<QByteArray> line(qsizetype& at, qsizetype bound);

    // Up to `count` bytes of the body from `at`; false when the body would pass its bound.
    bool take(qsizetype& at, qint64 count);
    // Once the headers are read: how the body is framed, if there is one.
    Progress afterHead();
    // Reads from `at` as far as the pending bytes go.
    Progress consume(qsizetype& at);

    bool headRequest_;
    qint64 maximumBodyBytes_;
    State state_ = State::statusLine;
    QByteArray pending_;
    qsizetype headBytes_ = 0;
    bool tooLong_ = false;
    int status_ = 0;
    Headers headers_;
    qint64 length_ = -1;
    qint64 remaining_ = 0;
    QByteArray body_;
};

} // namespace velunora::http
