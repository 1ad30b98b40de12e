#include "platform/LocalCalendar.h"
#include "platform/Localization.h"
#include "records/InternetDate.h"
#include "records/SnapshotJSON.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace velunora {
namespace {

constexpr std::size_t indentWidth = 2;

// Appends the JSON form to one growing buffer, compact or pretty-printed. Each primitive first
// makes room for its longest possible text and then writes through a raw pointer, so the hot path
// has no per-byte capacity checks. Keys are our own ASCII literals, so only values need escaping.
class JSONWriter {
public:
    JSONWriter(std::string& out, std::size_t expectedSize, SnapshotLayout layout)
        : out_(out)
        , pretty_(layout == SnapshotLayout::pretty) {
        out_.resize(std::max<std::size_t>(expectedSize, 64));
    }
    // Cuts the buffer to what was written.
    void finish() { out_.resize(used_); }

    void openObject() {
        put('{');
        ++depth_;
    }
    void closeObject() {
        --depth_;
        newline();
        put('}');
    }
    // The first key of every object is a mandatory one, so the comma rule needs no state.
    void firstKey(std::string_view key) {
        newline();
        writeKey(key);
    }
    void key(std::string_view key) {
        put(',');
        newline();
        writeKey(key);
    }

    template <typename T, typename WriteElement>
    void array(const std::vector<T>& elements, WriteElement writeElement) {
        if (elements.empty()) {
            append("[]");
            return;
        }
        put('[');
        ++depth_;
        bool first = true;
        for (const T& element : elements) {
            if (!first) {
                put(',');
            }
            first = false;
            newline();
            writeElement(element);
        }
        --depth_;
        newline();
        put(']');
    }

    void integer(std::int64_t value) {
        char* at = room(24);
        used_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - out_.data());
    }

    // Shortest text that reads back to the same double; whole values come out as "12". The
    // reader takes a whole number without exponent as a 64-bit integer and refuses the document
    // when it does not fit, so such values, and -0 (which would come back as 0), go the slow way.
    void number(double value) {
        char* at = room(32);
        char* end = nullptr;
        if (value >= -0x1p63 && value < 0x1p64 && (value != 0 || !std::signbit(value))) [[likely]] {
            end = std::to_chars(at, at + 32, value).ptr;
        } else {
            end = unusualNumber(value, at);
        }
        used_ = static_cast<std::size_t>(end - out_.data());
    }

    // The night whose values are written from now on, for the error texts.
    void enterNight(Date date) { currentNight_ = date; }

    void boolean(bool value) { append(value ? std::string_view("true") : "false"); }

    void date(Date value) {
        const double seconds = value.secondsSince1970;
        if (!std::isfinite(seconds) || seconds < double(internetdate::earliestSeconds) ||
            seconds >= double(internetdate::latestSeconds) + 1.0) {
            throw SnapshotEncodingError(
                localized("SnapshotEncoder",
                          "Instantané non encodable : date hors limites pour « ") +
                std::string(currentKey_) + " »" + nightInWords());
        }
        const auto whole = static_cast<std::int64_t>(std::floor(seconds));
        // Series points come in time order: most dates share the day part with the previous one.
        const std::int64_t day = whole >= 0 ? whole / 86400 : (whole - 86399) / 86400;
        char* text = room(22);
        text[0] = '"';
        if (day == cachedDay_) {
            std::memcpy(text + 1, cachedDayText_, 11);
            const auto second = static_cast<unsigned>(whole - day * 86400);
            writeTwoDigits(second / 3600, text + 12);
            text[14] = ':';
            writeTwoDigits(second / 60 % 60, text + 15);
            text[17] = ':';
            writeTwoDigits(second % 60, text + 18);
            text[20] = 'Z';
        } else {
            internetdate::format(whole, text + 1);
            std::memcpy(cachedDayText_, text + 1, 11);
            cachedDay_ = day;
        }
        text[21] = '"';
        used_ += 22;
    }

    void string(std::string_view value) {
        // Worst case: every byte becomes a six-character \u escape.
        char* out = room(value.size() * 6 + 2);
        char* const begin = out;
        *out++ = '"';
        const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
        const std::size_t size = value.size();
        std::size_t i = 0;
        while (i < size) {
            const unsigned char c = bytes[i];
            if (c >= 0x80) {
                const std::size_t length = validSequenceLength(bytes + i, size - i);
                if (length == 0) {
                    // Text that reaches the snapshot is UTF-8 already; anything else would make
                    // the whole document unreadable for the phone, so repair it here.
                    std::memcpy(out, "\xEF\xBF\xBD", 3);
                    out += 3;
                    ++i;
                } else {
                    std::memcpy(out, bytes + i, length);
                    out += length;
                    i += length;
                }
                continue;
            }
            ++i;
            char escaped = 0;
            switch (c) {
            case '"':
                escaped = '"';
                break;
            case '\\':
                escaped = '\\';
                break;
            case '/':
                escaped = '/';
                break;
            case '\b':
                escaped = 'b';
                break;
            case '\f':
                escaped = 'f';
                break;
            case '\n':
                escaped = 'n';
                break;
            case '\r':
                escaped = 'r';
                break;
            case '\t':
                escaped = 't';
                break;
            default:
                if (c >= 0x20) {
                    *out++ = static_cast<char>(c);
                    continue;
                }
                constexpr char hex[] = "0123456789abcdef";
                const char unicodeEscape[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                std::memcpy(out, unicodeEscape, sizeof unicodeEscape);
                out += sizeof unicodeEscape;
                continue;
            }
            *out++ = '\\';
            *out++ = escaped;
        }
        *out++ = '"';
        used_ += static_cast<std::size_t>(out - begin);
    }

private:
    // `value` is non-finite, -0, or beyond the 64-bit integers; writes at most 32 bytes at `at`.
    char* unusualNumber(double value, char* at) const {
        if (!std::isfinite(value)) {
            throw SnapshotEncodingError(localized("SnapshotEncoder",
                                                  "Instantané non encodable : nombre non fini "
                                                  "pour « ") +
                                        std::string(currentKey_) + " »" + nightInWords());
        }
        if (value == 0) {
            std::memcpy(at, "-0.0", 4);
            return at + 4;
        }
        // Beyond the 64-bit integers the plain form can still be the shorter one
        // ("123456789012345683968").
        char* end = std::to_chars(at, at + 32, value).ptr;
        if (std::memchr(at, 'e', static_cast<std::size_t>(end - at)) == nullptr) {
            end = std::to_chars(at, at + 32, value, std::chars_format::scientific).ptr;
        }
        return end;
    }

    static void writeTwoDigits(unsigned value, char* out) noexcept {
        out[0] = static_cast<char>('0' + value / 10);
        out[1] = static_cast<char>('0' + value % 10);
    }

    // Length of the well-formed UTF-8 sequence starting at `bytes` (lead byte >= 0x80), or 0.
    static std::size_t validSequenceLength(const unsigned char* bytes, std::size_t available) {
        const unsigned char lead = bytes[0];
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) {
                low = 0xA0;
            } else if (lead == 0xED) {
                high = 0x9F;
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) {
                low = 0x90;
            } else if (lead == 0xF4) {
                high = 0x8F;
            }
        } else {
            return 0;
        }
        if (available < length || bytes[1] < low || bytes[1] > high) {
            return 0;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (bytes[k] < 0x80 || bytes[k] > 0xBF) {
                return 0;
            }
        }
        return length;
    }

    // A pointer to at least `size` writable bytes at the end of what was written.
    char* room(std::size_t size) {
        if (used_ + size > out_.size()) {
            out_.resize(std::max(out_.size() * 2, used_ + size));
        }
        return out_.data() + used_;
    }

    void put(char c) {
        *room(1) = c;
        ++used_;
    }

    void append(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        used_ += text.size();
    }

    void newline() {
        if (!pretty_) {
            return;
        }
        const std::size_t indent = depth_ * indentWidth;
        char* at = room(indent + 1);
        *at = '\n';
        std::memset(at + 1, ' ', indent);
        used_ += indent + 1;
    }

    // Where a value that cannot be written sits, in the user's words: " de la nuit du 01/03/2024".
    std::string nightInWords() const {
        if (!currentNight_) {
            return {};
        }
        const auto day = calendar::decompose(*currentNight_);
        if (!day) {
            return {};
        }
        char text[16];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", static_cast<int>(day->day),
                      static_cast<int>(day->month), static_cast<int>(day->year));
        return localized("SnapshotEncoder", " de la nuit du ") + text;
    }

    void writeKey(std::string_view key) {
        currentKey_ = key;
        char* at = room(key.size() + 5);
        at[0] = '"';
        std::memcpy(at + 1, key.data(), key.size());
        if (pretty_) {
            std::memcpy(at + 1 + key.size(), "\" : ", 4);
            used_ += key.size() + 5;
        } else {
            std::memcpy(at + 1 + key.size(), "\":", 2);
            used_ += key.size() + 3;
        }
    }

    std::string& out_;
    bool pretty_;
    std::size_t used_ = 0;
    std::size_t depth_ = 0;
    std::string_view currentKey_;
    std::optional<Date> currentNight_;
    std::int64_t cachedDay_ = INT64_MIN;
    char cachedDayText_[11] = {};
};

// Every writer below lists its keys in ascending code-point order.

void writeSession(JSONWriter& w, const PAPSession& session) {
    w.openObject();
    w.firstKey("durationSeconds");
    w.number(session.durationSeconds);
    w.key("end");
    w.date(session.end);
    w.key("id");
    w.integer(session.id);
    w.key("start");
    w.date(session.start);
    w.closeObject();
}

void writeEvent(JSONWriter& w, const RespiratoryEvent& event) {
    w.openObject();
    w.firstKey("durationSeconds");
    w.number(event.durationSeconds);
    w.key("id");
    w.integer(event.id);
    w.key("sessionID");
    w.integer(event.sessionID);
    w.key("start");
    w.date(event.start);
    w.key("type");
    w.string(textCode(event.type));
    w.closeObject();
}

void writePoint(JSONWriter& w, const ChannelPoint& point) {
    w.openObject();
    w.firstKey("time");
    w.date(point.time);
    w.key("value");
    w.number(point.value);
    w.closeObject();
}

void writeChannel(JSONWriter& w, const ChannelSeries& channel) {
    w.openObject();
    w.firstKey("code");
    w.string(textCode(channel.code));
    w.key("points");
    w.array(channel.points, [&](const ChannelPoint& point) { writePoint(w, point); });
    w.key("sessionID");
    w.integer(channel.sessionID);
    w.closeObject();
}

void writeMachine(JSONWriter& w, const PAPMachine& machine) {
    w.openObject();
    w.firstKey("brand");
    w.string(machine.brand);
    w.key("id");
    w.integer(machine.id);
    if (machine.lastImported) {
        w.key("lastImported");
        w.date(*machine.lastImported);
    }
    w.key("model");
    w.string(machine.model);
    w.key("serialNumber");
    w.string(machine.serialNumber);
    w.key("series");
    w.string(machine.series);
    w.closeObject();
}

void writeOptionalNumber(JSONWriter& w, std::string_view key, const std::optional<double>& value) {
    if (value) {
        w.key(key);
        w.number(*value);
    }
}

void writeNight(JSONWriter& w, const NightSummary& night) {
    w.enterNight(night.date);
    w.openObject();
    w.firstKey("ahi");
    w.number(night.ahi);
    w.key("centralCount");
    w.integer(night.centralCount);
    w.key("channels");
    w.array(night.channels, [&](const ChannelSeries& channel) { writeChannel(w, channel); });
    w.key("date");
    w.date(night.date);
    w.key("events");
    w.array(night.events, [&](const RespiratoryEvent& event) { writeEvent(w, event); });
    w.key("hypopneaCount");
    w.integer(night.hypopneaCount);
    w.key("isCompliant");
    w.boolean(night.isCompliant);
    writeOptionalNumber(w, "leak95th", night.leak95th);
    writeOptionalNumber(w, "leakAverage", night.leakAverage);
    writeOptionalNumber(w, "leakMaximum", night.leakMaximum);
    w.key("maskOnHours");
    w.number(night.maskOnHours);
    w.key("obstructiveCount");
    w.integer(night.obstructiveCount);
    writeOptionalNumber(w, "pressure95th", night.pressure95th);
    writeOptionalNumber(w, "pressureAverage", night.pressureAverage);
    writeOptionalNumber(w, "pressureMaximum", night.pressureMaximum);
    writeOptionalNumber(w, "pressureMinimum", night.pressureMinimum);
    writeOptionalNumber(w, "pulseAverage", night.pulseAverage);
    w.key("rdi");
    w.number(night.rdi);
    w.key("reraCount");
    w.integer(night.reraCount);
    w.key("sessions");
    w.array(night.sessions, [&](const PAPSession& session) { writeSession(w, session); });
    writeOptionalNumber(w, "spo2Average", night.spo2Average);
    writeOptionalNumber(w, "spo2Minimum", night.spo2Minimum);
    w.key("totalHours");
    w.number(night.totalHours);
    w.key("unclassifiedCount");
    w.integer(night.unclassifiedCount);
    w.closeObject();
}

// A close upper bound of the output size, so the buffer grows once.
std::size_t estimatedSize(const OscarSnapshot& snapshot, SnapshotLayout layout) {
    // The bytes of the largest usual value of each record, without and with the indentation.
    const bool pretty = layout == SnapshotLayout::pretty;
    const std::size_t machine = pretty ? 320 : 200;
    const std::size_t night = pretty ? 900 : 560;
    const std::size_t session = pretty ? 200 : 110;
    const std::size_t event = pretty ? 240 : 130;
    const std::size_t channel = pretty ? 120 : 70;
    const std::size_t point = pretty ? 110 : 64;
    std::size_t size = 256 + snapshot.machines.size() * machine;
    for (const NightSummary& each : snapshot.nights) {
        size += night + each.sessions.size() * session + each.events.size() * event;
        for (const ChannelSeries& series : each.channels) {
            size += channel + series.points.size() * point;
        }
    }
    return size;
}

} // namespace

std::string SnapshotEncoder::encode(const OscarSnapshot& snapshot) const {
    std::string out;
    JSONWriter w(out, estimatedSize(snapshot, layout_), layout_);
    w.openObject();
    w.firstKey("generatedAt");
    w.date(snapshot.generatedAt);
    w.key("machines");
    w.array(snapshot.machines, [&](const PAPMachine& machine) { writeMachine(w, machine); });
    w.key("nights");
    w.array(snapshot.nights, [&](const NightSummary& night) { writeNight(w, night); });
    w.key("profileName");
    w.string(snapshot.profileName);
    w.closeObject();
    w.finish();
    return out;
}

SnapshotEncoder makeSnapshotEncoder(SnapshotLayout layout) {
    return SnapshotEncoder(layout);
}

std::string formatInternetDate(Date date) {
    std::string out;
    JSONWriter w(out, 32, SnapshotLayout::compact);
    w.date(date);
    w.finish();
    return out.substr(1, out.size() - 2);
}

} // namespace velunora
