#include "records/InternetDate.h"
#include "records/SnapshotJSON.h"

#include <algorithm>
#include <cstdint>
#include <simdjson.h>

namespace velunora {
namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;

[[noreturn]] void fail(std::string_view where, std::string_view what) {
    throw SnapshotDecodingError("document d’instantané invalide : " + std::string(what) + " (" +
                                std::string(where) + ")");
}

// Tracks which mandatory keys of one object were seen; the bit of a key is its index.
template <std::size_t Count> class RequiredKeys {
public:
    explicit RequiredKeys(const std::string_view (&names)[Count])
        : names_(names) {}
    void seen(std::size_t index) noexcept { mask_ |= std::uint32_t{1} << index; }
    void check(std::string_view where) const {
        for (std::size_t i = 0; i < Count; ++i) {
            if ((mask_ & (std::uint32_t{1} << i)) == 0) {
                fail(where, "clé manquante « " + std::string(names_[i]) + " »");
            }
        }
    }

private:
    const std::string_view (&names_)[Count];
    std::uint32_t mask_ = 0;
};

object asObject(element value, std::string_view where) {
    object result;
    if (value.get_object().get(result) != simdjson::SUCCESS) {
        fail(where, "objet attendu");
    }
    return result;
}

array asArray(element value, std::string_view where) {
    array result;
    if (value.get_array().get(result) != simdjson::SUCCESS) {
        fail(where, "tableau attendu");
    }
    return result;
}

double asDouble(element value, std::string_view where) {
    double result = 0;
    if (value.get_double().get(result) != simdjson::SUCCESS) {
        fail(where, "nombre attendu");
    }
    return result;
}

std::int64_t asInteger(element value, std::string_view where) {
    // Only integer literals within the signed 64-bit range: 1.0, 1e3 and 2^63 are refused.
    std::int64_t result = 0;
    if (value.get_int64().get(result) != simdjson::SUCCESS) {
        fail(where, "entier sur 64 bits attendu");
    }
    return result;
}

bool asBool(element value, std::string_view where) {
    bool result = false;
    if (value.get_bool().get(result) != simdjson::SUCCESS) {
        fail(where, "booléen attendu");
    }
    return result;
}

std::string_view asString(element value, std::string_view where) {
    std::string_view result;
    if (value.get_string().get(result) != simdjson::SUCCESS) {
        fail(where, "texte attendu");
    }
    return result;
}

Date asDate(element value, std::string_view where) {
    // An offset can move the instant out of the four-digit years, where no document could hold
    // it again.
    const auto seconds = internetdate::parse(asString(value, where));
    if (!seconds || *seconds < internetdate::earliestSeconds ||
        *seconds > internetdate::latestSeconds) {
        fail(where, "date attendue");
    }
    return Date{static_cast<double>(*seconds)};
}

std::optional<double> asOptionalDouble(element value, std::string_view where) {
    if (value.is_null()) {
        return std::nullopt;
    }
    return asDouble(value, where);
}

PAPSession readSession(element value) {
    static constexpr std::string_view keys[] = {"durationSeconds", "end", "id", "start"};
    RequiredKeys required(keys);
    PAPSession session;
    for (auto [key, field] : asObject(value, "session")) {
        if (key == "durationSeconds") {
            session.durationSeconds = asDouble(field, key);
            required.seen(0);
        } else if (key == "end") {
            session.end = asDate(field, key);
            required.seen(1);
        } else if (key == "id") {
            session.id = asInteger(field, key);
            required.seen(2);
        } else if (key == "start") {
            session.start = asDate(field, key);
            required.seen(3);
        }
    }
    required.check("session");
    return session;
}

RespiratoryEvent readEvent(element value) {
    static constexpr std::string_view keys[] = {"durationSeconds", "id", "sessionID", "start",
                                                "type"};
    RequiredKeys required(keys);
    RespiratoryEvent event;
    for (auto [key, field] : asObject(value, "event")) {
        if (key == "durationSeconds") {
            event.durationSeconds = asDouble(field, key);
            required.seen(0);
        } else if (key == "id") {
            event.id = asInteger(field, key);
            required.seen(1);
        } else if (key == "sessionID") {
            event.sessionID = asInteger(field, key);
            required.seen(2);
        } else if (key == "start") {
            event.start = asDate(field, key);
            required.seen(3);
        } else if (key == "type") {
            const auto kind = eventKindFromText(asString(field, key));
            if (!kind) {
                fail(key, "type d’événement inconnu");
            }
            event.type = *kind;
            required.seen(4);
        }
    }
    required.check("event");
    return event;
}

ChannelPoint readPoint(element value) {
    static constexpr std::string_view keys[] = {"time", "value"};
    RequiredKeys required(keys);
    ChannelPoint point;
    for (auto [key, field] : asObject(value, "point")) {
        if (key == "time") {
            point.time = asDate(field, key);
            required.seen(0);
        } else if (key == "value") {
            point.value = asDouble(field, key);
            required.seen(1);
        }
    }
    required.check("point");
    return point;
}

ChannelSeries readChannel(element value) {
    static constexpr std::string_view keys[] = {"code", "points", "sessionID"};
    RequiredKeys required(keys);
    ChannelSeries channel;
    for (auto [key, field] : asObject(value, "channel")) {
        if (key == "code") {
            const auto code = channelCodeFromText(asString(field, key));
            if (!code) {
                fail(key, "code de signal inconnu");
            }
            channel.code = *code;
            required.seen(0);
        } else if (key == "points") {
            const array points = asArray(field, key);
            channel.points.clear();
            channel.points.reserve(points.size());
            for (element point : points) {
                channel.points.push_back(readPoint(point));
            }
            required.seen(1);
        } else if (key == "sessionID") {
            channel.sessionID = asInteger(field, key);
            required.seen(2);
        }
    }
    required.check("channel");
    return channel;
}

PAPMachine readMachine(element value) {
    static constexpr std::string_view keys[] = {"brand", "id", "model", "serialNumber", "series"};
    RequiredKeys required(keys);
    PAPMachine machine;
    for (auto [key, field] : asObject(value, "machine")) {
        if (key == "brand") {
            machine.brand = asString(field, key);
            required.seen(0);
        } else if (key == "id") {
            machine.id = asInteger(field, key);
            required.seen(1);
        } else if (key == "lastImported") {
            if (field.is_null()) {
                machine.lastImported.reset();
            } else {
                machine.lastImported = asDate(field, key);
            }
        } else if (key == "model") {
            machine.model = asString(field, key);
            required.seen(2);
        } else if (key == "serialNumber") {
            machine.serialNumber = asString(field, key);
            required.seen(3);
        } else if (key == "series") {
            machine.series = asString(field, key);
            required.seen(4);
        }
    }
    required.check("machine");
    return machine;
}

template <typename T, typename Read>
std::vector<T> readArray(element value, std::string_view where, Read read) {
    const array elements = asArray(value, where);
    std::vector<T> result;
    result.reserve(elements.size());
    for (element item : elements) {
        result.push_back(read(item));
    }
    return result;
}

NightSummary readNight(element value) {
    static constexpr std::string_view keys[] = {
        "ahi",         "centralCount",     "channels",         "date", "events",    "hypopneaCount",
        "isCompliant", "maskOnHours",      "obstructiveCount", "rdi",  "reraCount", "sessions",
        "totalHours",  "unclassifiedCount"};
    RequiredKeys required(keys);
    NightSummary night;
    for (auto [key, field] : asObject(value, "night")) {
        if (key == "ahi") {
            night.ahi = asDouble(field, key);
            required.seen(0);
        } else if (key == "centralCount") {
            night.centralCount = asInteger(field, key);
            required.seen(1);
        } else if (key == "channels") {
            night.channels = readArray<ChannelSeries>(field, key, readChannel);
            required.seen(2);
        } else if (key == "date") {
            night.date = asDate(field, key);
            required.seen(3);
        } else if (key == "events") {
            night.events = readArray<RespiratoryEvent>(field, key, readEvent);
            required.seen(4);
        } else if (key == "hypopneaCount") {
            night.hypopneaCount = asInteger(field, key);
            required.seen(5);
        } else if (key == "isCompliant") {
            night.isCompliant = asBool(field, key);
            required.seen(6);
        } else if (key == "leak95th") {
            night.leak95th = asOptionalDouble(field, key);
        } else if (key == "leakAverage") {
            night.leakAverage = asOptionalDouble(field, key);
        } else if (key == "leakMaximum") {
            night.leakMaximum = asOptionalDouble(field, key);
        } else if (key == "maskOnHours") {
            night.maskOnHours = asDouble(field, key);
            required.seen(7);
        } else if (key == "obstructiveCount") {
            night.obstructiveCount = asInteger(field, key);
            required.seen(8);
        } else if (key == "pressure95th") {
            night.pressure95th = asOptionalDouble(field, key);
        } else if (key == "pressureAverage") {
            night.pressureAverage = asOptionalDouble(field, key);
        } else if (key == "pressureMaximum") {
            night.pressureMaximum = asOptionalDouble(field, key);
        } else if (key == "pressureMinimum") {
            night.pressureMinimum = asOptionalDouble(field, key);
        } else if (key == "pulseAverage") {
            night.pulseAverage = asOptionalDouble(field, key);
        } else if (key == "rdi") {
            night.rdi = asDouble(field, key);
            required.seen(9);
        } else if (key == "reraCount") {
            night.reraCount = asInteger(field, key);
            required.seen(10);
        } else if (key == "sessions") {
            night.sessions = readArray<PAPSession>(field, key, readSession);
            required.seen(11);
        } else if (key == "spo2Average") {
            night.spo2Average = asOptionalDouble(field, key);
        } else if (key == "spo2Minimum") {
            night.spo2Minimum = asOptionalDouble(field, key);
        } else if (key == "totalHours") {
            night.totalHours = asDouble(field, key);
            required.seen(12);
        } else if (key == "unclassifiedCount") {
            night.unclassifiedCount = asInteger(field, key);
            required.seen(13);
        }
    }
    required.check("night");
    return night;
}

// Earlier versions wrote whole doubles past the 64-bit integers without an exponent
// ("123456789012345683968"), which the parser refuses as an integer out of range. An exponent
// makes such a literal a double of the same value, so those exports still read; integer fields
// go on refusing it. Only numbers outside strings are touched.
std::string withLongIntegersAsDoubles(std::string_view json) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string out;
    out.reserve(json.size() + 64);
    std::size_t i = 0;
    while (i < json.size()) {
        const char c = json[i];
        if (c == '"') {
            std::size_t end = i + 1;
            while (end < json.size() && json[end] != '"') {
                end += json[end] == '\\' ? 2 : 1;
            }
            end = std::min(end + 1, json.size());
            out.append(json.substr(i, end - i));
            i = end;
        } else if (c == '-' || isDigit(c)) {
            std::size_t end = i + 1;
            bool integer = true;
            while (end < json.size() &&
                   (isDigit(json[end]) || json[end] == '.' || json[end] == 'e' ||
                    json[end] == 'E' || json[end] == '+' || json[end] == '-')) {
                integer = integer && isDigit(json[end]);
                ++end;
            }
            out.append(json.substr(i, end - i));
            if (integer && end - i - (c == '-' ? 1 : 0) >= 20) {
                out.append("e0");
            }
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace

OscarSnapshot decodeSnapshot(std::string_view json) {
    simdjson::padded_string padded(json);
    simdjson::dom::parser parser;
    element root;
    if (auto error = parser.parse(padded).get(root); error != simdjson::SUCCESS) {
        if (error == simdjson::NUMBER_ERROR) {
            padded = simdjson::padded_string(withLongIntegersAsDoubles(json));
            if (parser.parse(padded).get(root) == simdjson::SUCCESS) {
                error = simdjson::SUCCESS;
            }
        }
        if (error != simdjson::SUCCESS) {
            fail("document", simdjson::error_message(error));
        }
    }
    static constexpr std::string_view keys[] = {"generatedAt", "machines", "nights", "profileName"};
    RequiredKeys required(keys);
    OscarSnapshot snapshot;
    for (auto [key, field] : asObject(root, "document")) {
        if (key == "generatedAt") {
            snapshot.generatedAt = asDate(field, key);
            required.seen(0);
        } else if (key == "machines") {
            snapshot.machines = readArray<PAPMachine>(field, key, readMachine);
            required.seen(1);
        } else if (key == "nights") {
            snapshot.nights = readArray<NightSummary>(field, key, readNight);
            required.seen(2);
        } else if (key == "profileName") {
            snapshot.profileName = asString(field, key);
            required.seen(3);
        }
    }
    required.check("document");
    return snapshot;
}

} // namespace velunora
