// Any bytes found in a local store's record file decode to a record or to nothing (the store
// then reports the record damaged). A decoded record encodes to a file that decodes to the same
// record, and so does any record the store can be asked to save, whatever its texts hold.
#include "sync/cloud/local/LocalRecordFile.h"

#include <QByteArray>
#include <QDateTime>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Dates without an offset are local times: a zone with clock changes reaches the awkward
    // conversions.
    ::setenv("TZ", "Europe/Paris", 1);
    return 0;
}

namespace {

using velunora::localstore::StoredRecord;

void checkRoundTrip(const StoredRecord& record) {
    const QByteArray bytes = velunora::localstore::encodeRecordFile(record);
    const auto decoded = velunora::localstore::decodeRecordFile(bytes);
    if (!decoded || !(*decoded == record) ||
        velunora::localstore::encodeRecordFile(*decoded) != bytes) {
        std::abort();
    }
}

// Reads the fuzz bytes as the parts of a record; past the end, every part is empty.
class Parts {
public:
    explicit Parts(std::string_view bytes)
        : bytes_(bytes) {}

    bool atEnd() const { return bytes_.empty(); }
    std::uint8_t byte() {
        const auto value = bytes_.empty() ? 0 : static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(std::min<std::size_t>(1, bytes_.size()));
        return value;
    }
    // Any UTF-16, lone surrogates and NULs included.
    QString text() {
        QString value(byte() % 8, QChar());
        for (QChar& character : value) {
            const std::uint8_t high = byte();
            character = QChar(static_cast<char16_t>(high << 8 | byte()));
        }
        return value;
    }
    qint64 integer() {
        std::uint64_t value = 0;
        for (int index = 0; index < 8; ++index) {
            value = value << 8 | byte();
        }
        qint64 signedValue = 0;
        std::memcpy(&signedValue, &value, sizeof value);
        return signedValue;
    }

private:
    std::string_view bytes_;
};

// The instants an ISO date can write: years 1 to 9999.
const qint64 firstDated = QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
const auto datedSpan = static_cast<std::uint64_t>(
    QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch() - firstDated);

void checkMadeRecord(std::string_view bytes) {
    Parts parts(bytes);
    StoredRecord record{parts.text(), parts.text(), {}};
    // A few fields show how the map is written; more would only slow the run down.
    for (int count = 0; count < 8 && !parts.atEnd(); ++count) {
        const QString name = parts.text();
        switch (parts.byte() % 5) {
        case 0:
            record.fields.insert_or_assign(name, parts.integer());
            break;
        case 1: {
            const auto offset = static_cast<std::uint64_t>(parts.integer()) % datedSpan;
            record.fields.insert_or_assign(
                name,
                QDateTime::fromMSecsSinceEpoch(firstDated + static_cast<qint64>(offset), Qt::UTC));
            break;
        }
        case 2:
            record.fields.insert_or_assign(name, QDateTime());
            break;
        case 3:
            record.fields.insert_or_assign(name, parts.text());
            break;
        default:
            record.fields.insert_or_assign(name, velunora::localstore::AssetFile{parts.text()});
            break;
        }
    }
    checkRoundTrip(record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto record = velunora::localstore::decodeRecordFile(bytes)) {
        checkRoundTrip(*record);
    }
    checkMadeRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
