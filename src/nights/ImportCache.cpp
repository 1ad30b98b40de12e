#include "nights/ImportCache.h"

#include "platform/AtomicFile.h"
#include "platform/BoundedFile.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace velunora {
namespace {

// The first bytes of every cache file, then the format. A new format number whenever what is
// cached, or how the import works it out, changes: an older cache then reads as none.
constexpr std::string_view magic = "VELUNORA IMPORT CACHE\n";
constexpr std::uint32_t format = 1;

// Far beyond the cache of decades of nights; a larger file is not one of ours.
constexpr std::size_t largestCacheFile = 256u << 20;

// Little-endian numbers, doubles by their bits, texts and lists preceded by their length.
class Writer {
public:
    void bytes(std::string_view text) { out_.append(text); }
    void u8(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
    void u64(std::uint64_t value) {
        char buffer[8];
        for (int index = 0; index < 8; ++index) {
            buffer[index] = static_cast<char>((value >> (8 * index)) & 0xff);
        }
        out_.append(buffer, sizeof buffer);
    }
    void i64(std::int64_t value) { u64(static_cast<std::uint64_t>(value)); }
    void f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }
    void text(std::string_view value) {
        u64(value.size());
        bytes(value);
    }
    void optionalF64(const std::optional<double>& value) {
        u8(value ? 1 : 0);
        f64(value.value_or(0.0));
    }
    std::string take() { return std::move(out_); }
    const std::string& written() const noexcept { return out_; }

private:
    std::string out_;
};

// Reads what Writer wrote; any read past the end, or any value out of its range, marks the
// whole input as failed, and every later read gives zero.
class Reader {
public:
    explicit Reader(std::string_view input)
        : input_(input) {}

    bool failed() const noexcept { return failed_; }
    bool atEnd() const noexcept { return at_ == input_.size(); }
    void fail() noexcept { failed_ = true; }

    std::string_view bytes(std::size_t count) {
        if (failed_ || input_.size() - at_ < count) {
            failed_ = true;
            return {};
        }
        const std::string_view taken = input_.substr(at_, count);
        at_ += count;
        return taken;
    }
    std::uint8_t u8() {
        const auto taken = bytes(1);
        return taken.empty() ? 0 : static_cast<std::uint8_t>(taken[0]);
    }
    bool flag() {
        const std::uint8_t value = u8();
        if (value > 1) {
            failed_ = true;
        }
        return value == 1;
    }
    std::uint64_t u64() {
        const auto taken = bytes(8);
        std::uint64_t value = 0;
        for (std::size_t index = 0; index < taken.size(); ++index) {
            value |= std::uint64_t{static_cast<unsigned char>(taken[index])} << (8 * index);
        }
        return value;
    }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }
    double f64() { return std::bit_cast<double>(u64()); }
    std::string text() { return std::string(bytes(count(1))); }
    std::optional<double> optionalF64() {
        const bool present = flag();
        const double value = f64();
        return present ? std::optional<double>(value) : std::nullopt;
    }
    // A list length, checked against what is left: each element takes at least `elementBytes`.
    std::size_t count(std::size_t elementBytes) {
        const std::uint64_t value = u64();
        if (failed_ || value > (input_.size() - at_) / elementBytes) {
            failed_ = true;
            return 0;
        }
        return static_cast<std::size_t>(value);
    }
    template <typename Enum, std::size_t size> Enum enumeration(const std::array<Enum, size>& all) {
        const std::uint8_t value = u8();
        if (value >= size) {
            failed_ = true;
            return all[0];
        }
        return all[value];
    }

private:
    std::string_view input_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

template <typename Enum> std::uint8_t ordinal(Enum value) {
    return static_cast<std::uint8_t>(static_cast<std::underlying_type_t<Enum>>(value));
}

void writeVersion(Writer& out, const FileVersion& version) {
    out.u64(version.size);
    out.i64(version.modifiedNanoseconds);
}

FileVersion readVersion(Reader& in) {
    FileVersion version;
    version.size = in.u64();
    version.modifiedNanoseconds = in.i64();
    return version;
}

void writeSummary(Writer& out, const NightSummary& night) {
    out.f64(night.date.secondsSince1970);
    out.f64(night.totalHours);
    out.f64(night.maskOnHours);
    out.f64(night.ahi);
    out.f64(night.rdi);
    for (const std::int64_t count :
         {night.obstructiveCount, night.centralCount, night.hypopneaCount, night.reraCount,
          night.unclassifiedCount}) {
        out.i64(count);
    }
    for (const auto* value :
         {&night.pressureAverage, &night.pressureMinimum, &night.pressureMaximum,
          &night.pressure95th, &night.leakAverage, &night.leak95th, &night.leakMaximum,
          &night.spo2Average, &night.spo2Minimum, &night.pulseAverage}) {
        out.optionalF64(*value);
    }
    out.u8(night.isCompliant ? 1 : 0);
    out.u64(night.sessions.size());
    for (const PAPSession& session : night.sessions) {
        out.i64(session.id);
        out.f64(session.start.secondsSince1970);
        out.f64(session.end.secondsSince1970);
        out.f64(session.durationSeconds);
    }
    out.u64(night.events.size());
    for (const RespiratoryEvent& event : night.events) {
        out.i64(event.id);
        out.i64(event.sessionID);
        out.u8(ordinal(event.type));
        out.f64(event.start.secondsSince1970);
        out.f64(event.durationSeconds);
    }
    out.u64(night.channels.size());
    for (const ChannelSeries& series : night.channels) {
        out.i64(series.sessionID);
        out.u8(ordinal(series.code));
        out.u64(series.points.size());
        for (const ChannelPoint& point : series.points) {
            out.f64(point.time.secondsSince1970);
            out.f64(point.value);
        }
    }
}

NightSummary readSummary(Reader& in) {
    NightSummary night;
    night.date = Date{in.f64()};
    night.totalHours = in.f64();
    night.maskOnHours = in.f64();
    night.ahi = in.f64();
    night.rdi = in.f64();
    for (std::int64_t* count : {&night.obstructiveCount, &night.centralCount, &night.hypopneaCount,
                                &night.reraCount, &night.unclassifiedCount}) {
        *count = in.i64();
    }
    for (auto* value :
         {&night.pressureAverage, &night.pressureMinimum, &night.pressureMaximum,
          &night.pressure95th, &night.leakAverage, &night.leak95th, &night.leakMaximum,
          &night.spo2Average, &night.spo2Minimum, &night.pulseAverage}) {
        *value = in.optionalF64();
    }
    night.isCompliant = in.flag();
    night.sessions.resize(in.count(32));
    for (PAPSession& session : night.sessions) {
        session.id = in.i64();
        session.start = Date{in.f64()};
        session.end = Date{in.f64()};
        session.durationSeconds = in.f64();
    }
    night.events.resize(in.count(33));
    for (RespiratoryEvent& event : night.events) {
        event.id = in.i64();
        event.sessionID = in.i64();
        event.type = in.enumeration(allEventKinds);
        event.start = Date{in.f64()};
        event.durationSeconds = in.f64();
    }
    night.channels.resize(in.count(17));
    for (ChannelSeries& series : night.channels) {
        series.sessionID = in.i64();
        series.code = in.enumeration(allChannelCodes);
        series.points.resize(in.count(16));
        for (ChannelPoint& point : series.points) {
            point.time = Date{in.f64()};
            point.value = in.f64();
        }
    }
    return night;
}

void writeBody(Writer& out, const ImportCache& cache) {
    out.text(cache.serialNumber);
    out.text(cache.timeZone);
    out.text(cache.locale);
    out.u64(cache.headers.size());
    for (const auto& [name, header] : cache.headers) {
        out.text(name);
        writeVersion(out, header.version);
        out.u8(header.isUnreadable ? 1 : 0);
        out.u8(header.hasSpan ? 1 : 0);
        out.f64(header.start);
        out.f64(header.end);
    }
    out.u64(cache.eventFiles.size());
    for (const auto& [name, file] : cache.eventFiles) {
        out.text(name);
        writeVersion(out, file.version);
        out.u8(file.isUnreadable ? 1 : 0);
        out.u64(file.events.size());
        for (const ScoredEvent& event : file.events) {
            out.u8(ordinal(event.kind));
            out.f64(event.start.secondsSince1970);
            out.f64(event.night.secondsSince1970);
            out.f64(event.durationSeconds);
        }
    }
    out.u64(cache.nights.size());
    for (const auto& [date, night] : cache.nights) {
        out.f64(date.secondsSince1970);
        out.u8(night.isDetailNight ? 1 : 0);
        out.u8(night.isPartlyRead ? 1 : 0);
        out.u64(night.signalFiles.size());
        for (const ImportCache::SignalFile& file : night.signalFiles) {
            out.text(file.name);
            writeVersion(out, file.version);
        }
        writeSummary(out, night.summary);
    }
}

ImportCache readBody(Reader& in) {
    ImportCache cache;
    cache.serialNumber = in.text();
    cache.timeZone = in.text();
    cache.locale = in.text();
    for (std::size_t count = in.count(42); count > 0 && !in.failed(); --count) {
        std::string name = in.text();
        ImportCache::Header header;
        header.version = readVersion(in);
        header.isUnreadable = in.flag();
        header.hasSpan = in.flag();
        header.start = in.f64();
        header.end = in.f64();
        if (!cache.headers.try_emplace(std::move(name), header).second) {
            in.fail(); // we never write a file twice
        }
    }
    for (std::size_t count = in.count(33); count > 0 && !in.failed(); --count) {
        std::string name = in.text();
        ImportCache::EventFile file;
        file.version = readVersion(in);
        file.isUnreadable = in.flag();
        file.events.resize(in.count(25));
        for (ScoredEvent& event : file.events) {
            event.kind = in.enumeration(allEventKinds);
            event.start = Date{in.f64()};
            event.night = Date{in.f64()};
            event.durationSeconds = in.f64();
        }
        if (!cache.eventFiles.try_emplace(std::move(name), std::move(file)).second) {
            in.fail();
        }
    }
    for (std::size_t count = in.count(18); count > 0 && !in.failed(); --count) {
        const Date date{in.f64()};
        ImportCache::Night night;
        night.isDetailNight = in.flag();
        night.isPartlyRead = in.flag();
        night.signalFiles.resize(in.count(24));
        for (ImportCache::SignalFile& file : night.signalFiles) {
            file.name = in.text();
            file.version = readVersion(in);
        }
        night.summary = readSummary(in);
        if (night.summary.date != date ||
            !cache.nights.try_emplace(date, std::move(night)).second) {
            in.fail();
        }
    }
    return cache;
}

} // namespace

std::string encodeImportCache(const ImportCache& cache) {
    Writer out;
    out.bytes(magic);
    out.u64(format);
    out.text(VELUNORA_VERSION);
    writeBody(out, cache);
    // Bytes altered on the disk could still decode, into values that would then be published:
    // the digest tells them.
    out.u64(static_cast<std::uint64_t>(fnv1a64(out.written())));
    return out.take();
}

std::optional<ImportCache> decodeImportCache(std::string_view bytes) {
    if (bytes.size() < magic.size() + 8 || bytes.substr(0, magic.size()) != magic) {
        return std::nullopt;
    }
    const std::string_view content = bytes.substr(0, bytes.size() - 8);
    Reader digest(bytes.substr(bytes.size() - 8));
    if (digest.u64() != static_cast<std::uint64_t>(fnv1a64(content))) {
        return std::nullopt;
    }
    Reader in(content.substr(magic.size()));
    if (in.u64() != format || in.text() != VELUNORA_VERSION) {
        return std::nullopt;
    }
    ImportCache cache = readBody(in);
    if (in.failed() || !in.atEnd()) {
        return std::nullopt;
    }
    return cache;
}

std::optional<std::filesystem::path> importCacheFile(const std::filesystem::path& folder,
                                                     std::string_view serialNumber) {
    if (serialNumber.empty()) {
        return std::nullopt;
    }
    // The serial number names the file when it is plain; anything else (a slash, a dot, a
    // space from a damaged identification file) goes by its digest.
    const bool isPlain =
        serialNumber.size() <= 64 &&
        serialNumber.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                       "abcdefghijklmnopqrstuvwxyz-_") == std::string_view::npos;
    const std::string name =
        isPlain ? std::string(serialNumber)
                : "digest-" + std::to_string(static_cast<std::uint64_t>(fnv1a64(serialNumber)));
    return folder / ("card-" + name + ".cache");
}

namespace {

// Whether the folder is the user's alone. One of ours that others may enter is made private; one
// of another user, a link, or one that others may write into is not trusted: a stranger could
// plant a cache there that makes an import skip the card's files.
bool isPrivateFolderOfOurs(const std::filesystem::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    if ((status.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        return false;
    }
    return true;
}

} // namespace

bool mayHoldImportCaches(const std::filesystem::path& folder) noexcept {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 && errno == ENOENT) {
        return true;
    }
    return isPrivateFolderOfOurs(folder);
}

std::optional<ImportCache> loadImportCache(const std::filesystem::path& file) {
    if (!isPrivateFolderOfOurs(file.parent_path())) {
        return std::nullopt;
    }
    try {
        const auto bytes = readRegularFile(file, largestCacheFile);
        return bytes ? decodeImportCache(*bytes) : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

void removeImportCaches(const std::filesystem::path& folder) noexcept {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with("card-") && name.ends_with(".cache")) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

bool saveImportCache(const std::filesystem::path& file, const ImportCache& cache) noexcept {
    try {
        const std::filesystem::path folder = file.parent_path();
        createPrivateFolder(folder);
        if (!isPrivateFolderOfOurs(folder)) {
            return false;
        }
        // Checked when read, and rebuilt by a full import when damaged: no wait for the disk.
        writeFileAtomically(file, encodeImportCache(cache), Durability::mayBeLost);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace velunora
