#include "sync/publication/LocalExport.h"

#include "platform/AtomicFile.h"
#include "platform/BoundedFile.h"
#include "platform/PlatformError.h"
#include "records/SnapshotJSON.h"

#include <QStandardPaths>
#include <cerrno>
#include <unistd.h>

namespace velunora {
namespace {

void removeIfPresent(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw PlatformError::fileUnremovable(path, errno);
    }
}

} // namespace

LocalExport::LocalExport(std::filesystem::path dataFolder)
    : dataFolder_(std::move(dataFolder)) {}

LocalExport LocalExport::standard() {
    return LocalExport(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString());
}

std::filesystem::path LocalExport::exportFolder() const {
    return dataFolder_ / "LunexaSync";
}

std::filesystem::path LocalExport::snapshotFile() const {
    return exportFolder() / "lunexa-snapshot.json";
}

std::filesystem::path LocalExport::legacySnapshotFile() const {
    return exportFolder() / "oscar-snapshot.json";
}

void LocalExport::writeLocalExport(const OscarSnapshot& snapshot) const {
    writeLocalExport(makeSnapshotEncoder().encode(snapshot));
}

void LocalExport::writeLocalExport(std::string_view json) const {
    createPrivateFolder(exportFolder());
    writeFileAtomically(snapshotFile(), json);
    // The legacy file was read as the previous snapshot already; a failure to remove it only
    // means it is read again next time, after the current file, which wins.
    ::unlink(legacySnapshotFile().c_str());
}

std::string LocalExport::publish(std::string_view json) const {
    removeLeftovers();
    writeLocalExport(json);
    return exportIdentity();
}

std::string LocalExport::exportIdentity() const {
    return fileIdentity(snapshotFile());
}

std::optional<std::string> LocalExport::readSnapshotFile(const std::filesystem::path& file,
                                                         std::string* identity) {
    try {
        return readRegularFile(file, maximumSnapshotBytes, identity);
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

std::optional<OscarSnapshot> LocalExport::loadPreviousSnapshot() const {
    std::error_code error;
    const std::filesystem::path file =
        std::filesystem::exists(snapshotFile(), error) ? snapshotFile() : legacySnapshotFile();
    const auto bytes = readSnapshotFile(file);
    if (!bytes) {
        return std::nullopt;
    }
    try {
        return decodeSnapshot(*bytes);
    } catch (const SnapshotDecodingError&) {
        return std::nullopt;
    }
}

void LocalExport::removeLeftovers() const {
    // writeFileAtomically's side files: "." + the file's name + "." + six characters.
    const std::string prefix = "." + snapshotFile().filename().string() + ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(exportFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
            ::unlink(entry.path().c_str());
        }
    }
}

void LocalExport::removeFiles() const {
    removeIfPresent(snapshotFile());
    removeIfPresent(legacySnapshotFile());
}

} // namespace velunora
