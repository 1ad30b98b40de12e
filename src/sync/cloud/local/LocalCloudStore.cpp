#include "sync/cloud/local/LocalCloudStore.h"

#include "platform/AtomicFile.h"
#include "platform/BoundedFile.h"
#include "platform/FileLock.h"
#include "platform/PlatformError.h"
#include "sync/cloud/local/LocalRecordFile.h"
#include "sync/cloud/local/LocalStoreFailures.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {

namespace {

namespace fs = std::filesystem;
using localstore::AssetFile;
using localstore::busy;
using localstore::damaged;
using localstore::invalidName;
using localstore::recordChanged;
using localstore::StoredFieldValue;
using localstore::StoredRecord;
using localstore::toPath;
using localstore::unknownRecord;
using localstore::unwritable;

constexpr char metadataFileName[] = "record.json";
// A record's metadata is a few hundred bytes.
constexpr std::size_t largestRecordFile = 1 << 20;

// Record and asset names become file names: no separators, nothing hidden (the dot names are
// ours: locks and folders being replaced), and not our metadata file's stem.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') &&
           !name.contains(QChar()) && name != QStringLiteral("record");
}

void requireFileName(const QString& name) {
    if (!isPlainFileName(name)) {
        throw invalidName(name);
    }
}

// The fields other than assets, as the record file holds them and as the store hands them out.
StoredFieldValue storedValue(const CloudFieldValue& value) {
    if (const auto* date = std::get_if<QDateTime>(&value)) {
        return *date;
    }
    if (const auto* integer = std::get_if<qint64>(&value)) {
        return *integer;
    }
    return std::get<QString>(value);
}

std::optional<CloudFieldValue> cloudValue(StoredFieldValue&& value) {
    if (auto* date = std::get_if<QDateTime>(&value)) {
        return std::move(*date);
    }
    if (const auto* integer = std::get_if<qint64>(&value)) {
        return *integer;
    }
    if (auto* text = std::get_if<QString>(&value)) {
        return std::move(*text);
    }
    return std::nullopt;
}

// The record in `folder`, or nothing when there is no such folder.
std::optional<StoredRecord> readStored(const fs::path& folder, const fs::path& root) {
    std::error_code error;
    if (!fs::exists(folder, error)) {
        if (error && error != std::errc::no_such_file_or_directory) {
            throw damaged(root);
        }
        return std::nullopt;
    }
    // Never waited on: a FIFO or a link in its place is damage, not a record.
    std::optional<std::string> bytes;
    try {
        bytes = readRegularFile(folder / metadataFileName, largestRecordFile);
    } catch (const PlatformError&) {
        throw damaged(root);
    }
    if (!bytes) {
        throw damaged(root);
    }
    auto record = localstore::decodeRecordFile(QByteArray::fromStdString(*bytes));
    if (!record) {
        throw damaged(root);
    }
    return record;
}

// Held while a save or a delete runs; the kernel releases the lock of a process that died.
class RecordLock {
public:
    RecordLock(const fs::path& root, const QString& recordName, std::chrono::milliseconds timeout)
        : lock_(root / toPath(QStringLiteral(".") + recordName + QStringLiteral(".lock")),
                timeout) {
        if (!lock_.isLocked()) {
            throw lock_.outcome() == FileLock::Outcome::busy ? busy(root) : unwritable(root);
        }
    }

private:
    FileLock lock_;
};

// The hidden siblings of a record: a new record being written, or an old one being removed.
fs::path siblingFolder(const fs::path& root, const QString& recordName) {
    return root /
           toPath(QStringLiteral(".") + recordName + QStringLiteral(".") +
                  QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".partial"));
}

// Siblings left by a process that stopped in the middle; only called with the lock held.
void removeLeftovers(const fs::path& root, const QString& recordName) {
    const std::string prefix =
        toPath(QStringLiteral(".") + recordName + QStringLiteral(".")).string();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(".partial")) {
            std::error_code ignored;
            fs::remove_all(entry.path(), ignored);
        }
    }
}

// Removes the folder with everything in it when the save or delete ends.
class RemovedAtEnd {
public:
    explicit RemovedAtEnd(fs::path folder)
        : folder_(std::move(folder)) {}
    ~RemovedAtEnd() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    RemovedAtEnd(const RemovedAtEnd&) = delete;
    RemovedAtEnd& operator=(const RemovedAtEnd&) = delete;

private:
    fs::path folder_;
};

void syncFolder(const fs::path& folder) {
    if (const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

bool exchangeUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

// Puts the complete new record folder in place of the old one in one step, so that a reader
// opens either record whole. renameat2's exchange does it on every local Linux file system;
// where it is refused (some network and FUSE file systems) the old folder steps aside first and
// the record is briefly absent, which a reader takes for "not published yet", never a mix.
// Afterwards `staging` holds the old record, or nothing; the caller removes it.
void replaceFolder(const fs::path& staging, const fs::path& target, const fs::path& root) {
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        return;
    }
    if (!exchangeUnsupported(errno)) {
        throw unwritable(root);
    }
    const fs::path aside = staging.parent_path() / (staging.stem().string() + ".old.partial");
    if (::rename(target.c_str(), aside.c_str()) != 0) {
        throw unwritable(root);
    }
    if (::rename(staging.c_str(), target.c_str()) != 0) {
        ::rename(aside.c_str(), target.c_str());
        throw unwritable(root);
    }
    std::error_code ignored;
    fs::remove_all(aside, ignored);
}

void placeNewFolder(const fs::path& staging, const fs::path& target, const fs::path& root) {
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    // Without RENAME_NOREPLACE the lock is what keeps another record from appearing meanwhile.
    if (!exchangeUnsupported(errno) || ::rename(staging.c_str(), target.c_str()) != 0) {
        throw unwritable(root);
    }
}

// The file of an asset that a save keeps: the record is locked, so a file missing or unreadable
// means a damaged record.
std::string readKeptAsset(const fs::path& file, const fs::path& root) {
    std::optional<std::string> bytes;
    try {
        bytes = readRegularFile(file, static_cast<std::size_t>(maximumAssetBytes));
    } catch (const PlatformError&) {
        throw damaged(root);
    }
    if (!bytes) {
        throw damaged(root);
    }
    return std::move(*bytes);
}

} // namespace

LocalCloudStore::LocalCloudStore(std::filesystem::path root)
    : root_(std::move(root)) {}

std::filesystem::path LocalCloudStore::defaultRoot() {
    return toPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) /
           "velunora-sync" / "cloud";
}

std::filesystem::path LocalCloudStore::recordFolder(const QString& recordName) const {
    return root_ / toPath(recordName);
}

std::filesystem::path LocalCloudStore::assetFile(const QString& recordName,
                                                 const QString& fieldName) const {
    try {
        requireFileName(recordName);
        const auto stored = readStored(recordFolder(recordName), root_);
        if (!stored) {
            return {};
        }
        const auto field = stored->fields.find(fieldName);
        if (field == stored->fields.end() || !std::holds_alternative<AssetFile>(field->second)) {
            return {};
        }
        return recordFolder(recordName) / toPath(std::get<AssetFile>(field->second).fileName);
    } catch (const CloudError&) {
        return {};
    }
}

CloudRecord LocalCloudStore::fetchRecord(const QString& recordName) {
    requireFileName(recordName);
    // What a save killed half-way left (a whole copy of the nights) goes even on a morning that
    // saves nothing; only while no other process saves, and never waiting for one.
    std::error_code error;
    if (fs::is_directory(root_, error)) {
        if (const FileLock lock(
                root_ / toPath(QStringLiteral(".") + recordName + QStringLiteral(".lock")),
                std::chrono::milliseconds(0));
            lock.isLocked()) {
            removeLeftovers(root_, recordName);
        }
    }
    auto stored = readStored(recordFolder(recordName), root_);
    if (!stored) {
        throw unknownRecord(root_);
    }
    CloudRecord record{std::move(stored->recordType), recordName, std::move(stored->changeTag), {}};
    for (auto& [name, value] : stored->fields) {
        if (auto field = cloudValue(std::move(value))) {
            record.fields.emplace(name, std::move(*field));
        }
    }
    return record;
}

QString LocalCloudStore::saveRecord(const CloudRecord& record) {
    requireFileName(record.recordName);
    for (const auto& [name, value] : record.fields) {
        if (std::holds_alternative<CloudAsset>(value)) {
            requireFileName(name);
        }
    }
    try {
        createPrivateFolder(root_);
    } catch (const PlatformError& failure) {
        if (failure.code() == EACCES) {
            // Says whose the folder is, or that anyone may write into it.
            throw CloudError(cloudcode::internalError,
                             QString::fromStdString(failure.errorDescription()));
        }
        throw unwritable(root_, failure.code());
    }
    const RecordLock lock(root_, record.recordName, lockTimeout_);
    removeLeftovers(root_, record.recordName);

    const fs::path target = recordFolder(record.recordName);
    const std::optional<StoredRecord> stored = readStored(target, root_);
    if (stored ? stored->changeTag != record.changeTag : !record.changeTag.isEmpty()) {
        throw recordChanged();
    }

    const fs::path staging = siblingFolder(root_, record.recordName);
    const RemovedAtEnd cleanup(staging);
    if (::mkdir(staging.c_str(), 0700) != 0) {
        throw unwritable(root_, errno);
    }
    StoredRecord replacement{
        record.recordType, QUuid::createUuid().toString(QUuid::WithoutBraces), {}};
    if (stored) {
        replacement.fields = stored->fields;
    }
    // The staging folder is private and fresh, and goes into place whole: each file is written
    // once, straight to its name, and flushed once.
    try {
        for (const auto& [name, value] : record.fields) {
            const auto* asset = std::get_if<CloudAsset>(&value);
            if (!asset) {
                replacement.fields.insert_or_assign(name, storedValue(value));
                continue;
            }
            // Every asset this system publishes is a JSON document.
            const QString fileName = name + QStringLiteral(".json");
            writeNewFile(staging / toPath(fileName), asset->view());
            replacement.fields.insert_or_assign(name, AssetFile{fileName});
        }
        for (const auto& [name, value] : replacement.fields) {
            const auto* kept = std::get_if<AssetFile>(&value);
            if (!kept || record.fields.contains(name)) {
                continue;
            }
            // Named by the record file, which is outside input: never a path out of the folder.
            if (!isPlainFileName(kept->fileName)) {
                throw damaged(root_);
            }
            const fs::path file = toPath(kept->fileName);
            writeNewFile(staging / file, readKeptAsset(target / file, root_));
        }
        writeNewFile(staging / metadataFileName,
                     localstore::encodeRecordFile(replacement).toStdString());
    } catch (const PlatformError& failure) {
        throw unwritable(root_, failure.code());
    }
    syncFolder(staging);
    if (stored) {
        replaceFolder(staging, target, root_);
    } else {
        placeNewFolder(staging, target, root_);
    }
    syncFolder(root_);
    return replacement.changeTag;
}

QByteArray LocalCloudStore::fetchAsset(const QString& recordName, const QString& fieldName) {
    requireFileName(recordName);
    const auto stored = readStored(recordFolder(recordName), root_);
    if (!stored) {
        throw unknownRecord(root_);
    }
    const auto field = stored->fields.find(fieldName);
    if (field == stored->fields.end() || !std::holds_alternative<AssetFile>(field->second)) {
        throw unknownRecord(root_);
    }
    const QString fileName = std::get<AssetFile>(field->second).fileName;
    requireFileName(fileName);
    std::optional<std::string> bytes;
    try {
        bytes = readRegularFile(recordFolder(recordName) / toPath(fileName),
                                static_cast<std::size_t>(maximumAssetBytes));
    } catch (const PlatformError&) {
        throw damaged(root_);
    }
    if (!bytes) {
        // Replaced or deleted by another process since the metadata was read.
        throw unknownRecord(root_);
    }
    return QByteArray::fromStdString(*bytes);
}

void LocalCloudStore::deleteRecord(const QString& recordName) {
    requireFileName(recordName);
    const fs::path target = recordFolder(recordName);
    std::error_code error;
    if (!fs::exists(root_, error)) {
        throw unknownRecord(root_);
    }
    const RecordLock lock(root_, recordName, lockTimeout_);
    removeLeftovers(root_, recordName);
    if (!fs::exists(target, error)) {
        throw unknownRecord(root_);
    }
    // Out of sight in one step, then the files.
    const fs::path doomed = siblingFolder(root_, recordName);
    if (::rename(target.c_str(), doomed.c_str()) != 0) {
        throw unwritable(root_);
    }
    syncFolder(root_);
    std::error_code ignored;
    fs::remove_all(doomed, ignored);
}

} // namespace velunora
