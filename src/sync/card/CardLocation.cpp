#include "sync/card/CardLocation.h"

#include "platform/Localization.h"
#include "platform/MountTable.h"
#include "platform/PlatformError.h"

#include <QDataStream>
#include <QIODevice>
#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;

// Bumped if the layout ever changes; older bytes then read as no saved location.
constexpr quint32 locationMagic = 0x56434231; // "VCB1"

QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Reads a byte array as QDataStream writes it: a 32-bit length (all ones for a null array), then
// the bytes. A length beyond the bytes left fails at once, where Qt's own reading would first
// set aside up to a megabyte for it.
QByteArray readBytes(QDataStream& stream) {
    quint32 length = 0;
    stream >> length;
    if (stream.status() != QDataStream::Ok || length == 0xffffffff) {
        return {};
    }
    if (length > stream.device()->bytesAvailable()) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (stream.readRawData(bytes.data(), static_cast<int>(length)) != static_cast<int>(length)) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return {};
    }
    return bytes;
}

std::string textOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// True when `path` is `base` or lies inside it (both lexically normal and absolute).
bool isWithin(const fs::path& path, const fs::path& base) {
    auto pathPart = path.begin();
    for (auto basePart = base.begin(); basePart != base.end(); ++basePart, ++pathPart) {
        if (basePart->empty()) {
            continue; // a trailing separator
        }
        if (pathPart == path.end() || *pathPart != *basePart) {
            return false;
        }
    }
    return true;
}

fs::path joinInside(const fs::path& base, const fs::path& path, const fs::path& prefix) {
    const fs::path rest = path.lexically_relative(prefix);
    return rest.empty() || rest == "." ? base : (base / rest).lexically_normal();
}

std::optional<dev_t> blockDeviceOf(const fs::path& node) {
    struct stat status {};
    if (::stat(node.c_str(), &status) != 0 || !S_ISBLK(status.st_mode)) {
        return std::nullopt;
    }
    return status.st_rdev;
}

} // namespace

SystemFileSystemLocator::SystemFileSystemLocator(fs::path mountInfo, fs::path uuidFolder)
    : mountInfo_(std::move(mountInfo))
    , uuidFolder_(std::move(uuidFolder)) {}

std::optional<FileSystemLocation> SystemFileSystemLocator::locate(const fs::path& folder) const {
    std::error_code error;
    const fs::path canonical = fs::canonical(folder, error);
    struct stat status {};
    if (error || ::stat(canonical.c_str(), &status) != 0) {
        return std::nullopt;
    }
    // The deepest mount of this device that contains the folder.
    const MountEntry* holder = nullptr;
    const auto mounts = readMountTable(mountInfo_);
    for (const auto& entry : mounts) {
        if (makedev(entry.deviceMajor, entry.deviceMinor) == status.st_dev &&
            isWithin(canonical, entry.mountPoint) &&
            (holder == nullptr ||
             entry.mountPoint.native().size() >= holder->mountPoint.native().size())) {
            holder = &entry;
        }
    }
    if (holder == nullptr) {
        return std::nullopt;
    }
    for (const auto& link : fs::directory_iterator(uuidFolder_, error)) {
        if (blockDeviceOf(link.path()) == status.st_dev) {
            return FileSystemLocation{
                link.path().filename().string(),
                joinInside(fs::path(holder->root), canonical, holder->mountPoint)};
        }
    }
    return std::nullopt;
}

std::vector<fs::path>
SystemFileSystemLocator::mountedPaths(const FileSystemLocation& location) const {
    // A UUID never names a path outside the folder of links.
    if (location.fileSystemUUID.empty() || location.fileSystemUUID.find('/') != std::string::npos) {
        return {};
    }
    const auto device = blockDeviceOf(uuidFolder_ / location.fileSystemUUID);
    if (!device) {
        return {};
    }
    std::vector<fs::path> paths;
    for (const auto& entry : readMountTable(mountInfo_)) {
        if (makedev(entry.deviceMajor, entry.deviceMinor) == *device &&
            isWithin(location.pathInFileSystem, fs::path(entry.root))) {
            paths.push_back(
                joinInside(entry.mountPoint, location.pathInFileSystem, fs::path(entry.root)));
        }
    }
    return paths;
}

QByteArray SavedCardLocation::encoded() const {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << locationMagic << bytesOf(absolutePath.native()) << location.has_value();
    if (location) {
        stream << bytesOf(location->fileSystemUUID) << bytesOf(location->pathInFileSystem.native());
    }
    return bytes;
}

std::optional<SavedCardLocation> SavedCardLocation::decode(const QByteArray& bytes) {
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    bool hasLocation = false;
    stream >> magic;
    const QByteArray path = readBytes(stream);
    stream >> hasLocation;
    if (stream.status() != QDataStream::Ok || magic != locationMagic || path.isEmpty()) {
        return std::nullopt;
    }
    SavedCardLocation saved{fs::path(textOf(path)), std::nullopt};
    if (hasLocation) {
        const QByteArray uuid = readBytes(stream);
        const QByteArray inside = readBytes(stream);
        if (stream.status() != QDataStream::Ok || uuid.isEmpty()) {
            return std::nullopt;
        }
        saved.location = FileSystemLocation{textOf(uuid), fs::path(textOf(inside))};
    }
    if (!saved.absolutePath.is_absolute() || !stream.atEnd()) {
        return std::nullopt;
    }
    return saved;
}

CardLocations::CardLocations(std::shared_ptr<const FileSystemLocator> locator)
    : locator_(std::move(locator)) {}

QByteArray CardLocations::saveLocation(const fs::path& folder) const {
    std::error_code error;
    const fs::path absolute = fs::absolute(folder, error).lexically_normal();
    if (error || !fs::is_directory(absolute, error)) {
        throw PlatformError::fileUnreadable(folder, error ? error.value() : ENOTDIR);
    }
    return SavedCardLocation{absolute, locator_->locate(absolute)}.encoded();
}

ResolvedCardLocation CardLocations::resolveLocation(const QByteArray& bytes) const {
    const auto saved = SavedCardLocation::decode(bytes);
    if (!saved) {
        throw PlatformError(EINVAL, localized("SavedCardLocation",
                                              "Le dossier de la carte SD enregistré est "
                                              "illisible. Sélectionnez-le à nouveau."));
    }
    if (saved->location) {
        // The file system, wherever it is mounted now; the old path only if it is not.
        for (const auto& path : locator_->mountedPaths(*saved->location)) {
            std::error_code error;
            if (fs::is_directory(path, error)) {
                return {path, path != saved->absolutePath};
            }
        }
    }
    return {saved->absolutePath, false};
}

bool CardLocations::holdFolder(const fs::path& folder) {
    ++openAccesses_[folder];
    return true;
}

void CardLocations::releaseFolder(const fs::path& folder) {
    const auto found = openAccesses_.find(folder);
    if (found != openAccesses_.end() && --found->second == 0) {
        openAccesses_.erase(found);
    }
}

int CardLocations::heldFolderCount() const noexcept {
    int count = 0;
    for (const auto& [folder, accesses] : openAccesses_) {
        count += accesses;
    }
    return count;
}

} // namespace velunora
