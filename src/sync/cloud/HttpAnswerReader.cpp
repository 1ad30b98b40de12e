#include "sync/cloud/HttpAnswerReader.h"

#include <algorithm>

namespace velunora::http {
namespace {

// What the status line and the headers of an answer may take, and one line of them.
constexpr qsizetype maximumHeadBytes = 64 * 1024;
// A chunk's size line: a few hex digits, and extensions nobody sends.
constexpr qsizetype maximumChunkLineBytes = 1024;

} // namespace

AnswerReader::AnswerReader(bool headRequest, qint64 maximumBodyBytes)
    : headRequest_(headRequest)
    , maximumBodyBytes_(maximumBodyBytes) {}

AnswerReader::Progress AnswerReader::feed(const QByteArray& bytes) {
    pending_ += bytes;
    qsizetype at = 0;
    const Progress progress = consume(at);
    pending_.remove(0, at);
    return progress;
}

AnswerReader::Progress AnswerReader::closed() {
    if (state_ == State::untilClosed) {
        state_ = State::done;
    }
    return state_ == State::done ? Progress::done : Progress::malformed;
}

std::optional<QByteArray> AnswerReader::line(qsizetype& at, qsizetype bound) {
    const qsizetype end = pending_.indexOf('\n', at);
    if (end < 0) {
        tooLong_ = pending_.size() - at > bound;
        return std::nullopt;
    }
    if (end - at > bound) {
        tooLong_ = true;
        return std::nullopt;
    }
    QByteArray text = pending_.mid(at, end - at);
    if (text.endsWith('\r')) {
        text.chop(1);
    }
    headBytes_ += end + 1 - at;
    at = end + 1;
    return text;
}

bool AnswerReader::take(qsizetype& at, qint64 count) {
    const qint64 taken = std::min<qint64>(count, pending_.size() - at);
    if (body_.size() + taken > maximumBodyBytes_) {
        return false;
    }
    body_.append(pending_.constData() + at, static_cast<qsizetype>(taken));
    at += static_cast<qsizetype>(taken);
    remaining_ -= taken;
    return true;
}

AnswerReader::Progress AnswerReader::afterHead() {
    // An interim answer (100 Continue) comes before the real one.
    if (status_ >= 100 && status_ < 200) {
        headers_.clear();
        state_ = State::statusLine;
        return Progress::more;
    }
    if (headRequest_ || status_ == 204 || status_ == 304) {
        state_ = State::done;
        return Progress::done;
    }
    QByteArray transferEncoding;
    QList<QByteArray> lengths;
    for (const auto& [name, value] : headers_) {
        if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            transferEncoding += ',' + value;
        } else if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            lengths.append(value.trimmed());
        }
    }
    if (!transferEncoding.isEmpty()) {
        const QByteArray last = transferEncoding.split(',').last().trimmed().toLower();
        state_ = last == "chunked" ? State::chunkSize : State::untilClosed;
        return Progress::more;
    }
    if (!lengths.isEmpty()) {
        bool valid = false;
        length_ = lengths.first().toLongLong(&valid);
        if (!valid || length_ < 0 ||
            std::any_of(lengths.begin(), lengths.end(),
                        [&lengths](const QByteArray& other) { return other != lengths[0]; })) {
            return Progress::malformed;
        }
        if (length_ > maximumBodyBytes_) {
            return Progress::oversized;
        }
        remaining_ = length_;
        state_ = length_ == 0 ? State::done : State::sized;
        return state_ == State::done ? Progress::done : Progress::more;
    }
    state_ = State::untilClosed;
    return Progress::more;
}

AnswerReader::Progress AnswerReader::consume(qsizetype& at) {
    for (;;) {
        if (headBytes_ > maximumHeadBytes) {
            return Progress::oversized;
        }
        switch (state_) {
        case State::statusLine: {
            const auto text = line(at, maximumHeadBytes);
            if (!text) {
                return tooLong_ ? Progress::oversized : Progress::more;
            }
            // "HTTP/1.1 207 Multi-Status"
            const QList<QByteArray> parts = text->split(' ');
            bool valid = false;
            status_ = parts.size() >= 2 ? parts[1].toInt(&valid) : 0;
            if (!text->startsWith("HTTP/1.") || !valid || status_ < 100 || status_ > 999) {
                return Progress::malformed;
            }
            state_ = State::headers;
            break;
        }
        case State::headers:
        case State::trailers: {
            const auto text = line(at, maximumHeadBytes);
            if (!text) {
                return tooLong_ ? Progress::oversized : Progress::more;
            }
            if (text->isEmpty()) {
                if (state_ == State::trailers) {
                    state_ = State::done;
                    return Progress::done;
                }
                const Progress progress = afterHead();
                if (progress != Progress::more) {
                    return progress;
                }
                break;
            }
            const qsizetype colon = text->indexOf(':');
            if (colon <= 0) {
                return Progress::malformed;
            }
            if (state_ == State::headers) {
                headers_.emplace_back(text->left(colon).trimmed(), text->mid(colon + 1).trimmed());
            }
            break;
        }
        case State::sized:
            if (at == pending_.size()) {
                return Progress::more;
            }
            if (!take(at, remaining_)) {
                return Progress::oversized;
            }
            if (remaining_ == 0) {
                state_ = State::done;
                return Progress::done;
            }
            break;
        case State::chunkSize: {
            const auto text = line(at, maximumChunkLineBytes);
            if (!text) {
                return tooLong_ ? Progress::malformed : Progress::more;
            }
            bool valid = false;
            const qsizetype extension = text->indexOf(';');
            const QByteArray digits = (extension < 0 ? *text : text->left(extension)).trimmed();
            remaining_ = digits.toLongLong(&valid, 16);
            if (!valid || remaining_ < 0) {
                return Progress::malformed;
            }
            // Compared without adding: a size line near the largest number must not overflow.
            if (remaining_ > maximumBodyBytes_ - body_.size()) {
                return Progress::oversized;
            }
            // The chunks' framing is no part of the head's budget.
            headBytes_ = 0;
            state_ = remaining_ == 0 ? State::trailers : State::chunkData;
            break;
        }
        case State::chunkData:
            if (at == pending_.size()) {
                return Progress::more;
            }
            if (!take(at, remaining_)) {
                return Progress::oversized;
            }
            if (remaining_ == 0) {
                state_ = State::chunkEnd;
            }
            break;
        case State::chunkEnd: {
            const auto text = line(at, maximumChunkLineBytes);
            if (!text) {
                return tooLong_ ? Progress::malformed : Progress::more;
            }
            if (!text->isEmpty()) {
                return Progress::malformed;
            }
            headBytes_ = 0;
            state_ = State::chunkSize;
            break;
        }
        case State::untilClosed:
            if (at == pending_.size()) {
                return Progress::more;
            }
            remaining_ = pending_.size() - at;
            if (!take(at, remaining_)) {
                return Progress::oversized;
            }
            break;
        case State::done:
            // Nothing may follow an answer on a connection we close.
            return Progress::done;
        }
    }
}

} // namespace velunora::http
