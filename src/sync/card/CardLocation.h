#pragma once

#include <QByteArray>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velunora {

// The code of the error that says the card folder may not be read (missing or refused).
inline constexpr int fileReadNoPermissionCode = 257;

// Where a folder lives: the file system that holds it and the path inside that file system.
struct FileSystemLocation {
    std::string fileSystemUUID;
    std::filesystem::path pathInFileSystem;

    friend bool operator==(const FileSystemLocation&, const FileSystemLocation&) = default;
};

// Answers which file system holds a folder and where a file system is mounted now. The app uses
// the kernel's mount table; tests simulate re-mounts.
class FileSystemLocator {
public:
    virtual ~FileSystemLocator() = default;
    // Nothing when the folder's file system has no UUID (tmpfs, network shares) or is unknown.
    virtual std::optional<FileSystemLocation> locate(const std::filesystem::path& folder) const = 0;
    // The folders that show `location` now, best first; empty when it is not mounted.
    virtual std::vector<std::filesystem::path>
    mountedPaths(const FileSystemLocation& location) const = 0;
};

// The kernel's mount table and udev's links from file-system UUIDs to device nodes.
class SystemFileSystemLocator final : public FileSystemLocator {
public:
    explicit SystemFileSystemLocator(std::filesystem::path mountInfo = "/proc/self/mountinfo",
                                     std::filesystem::path uuidFolder = "/dev/disk/by-uuid");

    std::optional<FileSystemLocation> locate(const std::filesystem::path& folder) const override;
    std::vector<std::filesystem::path>
    mountedPaths(const FileSystemLocation& location) const override;

private:
    std::filesystem::path mountInfo_;
    std::filesystem::path uuidFolder_;
};

// What a saved card location holds: the folder as it was chosen and, when known, its file
// system, so that the card is found again wherever that file system is mounted later.
struct SavedCardLocation {
    std::filesystem::path absolutePath;
    std::optional<FileSystemLocation> location;

    QByteArray encoded() const;
    // Nothing when the bytes are not a saved of ours.
    static std::optional<SavedCardLocation> decode(const QByteArray& bytes);

    friend bool operator==(const SavedCardLocation&, const SavedCardLocation&) = default;
};

struct ResolvedCardLocation {
    std::filesystem::path folder;
    // The folder is no longer where the saved location said: the stored bytes want renewing.
    bool isStale = false;
};

// Creates and resolves card cardLocations and keeps the book of the folders whose access is open.
// Opening access is bookkeeping only here: no sandbox grants or withholds it.
class CardLocations {
public:
    explicit CardLocations(std::shared_ptr<const FileSystemLocator> locator);

    // Throws PlatformError when the folder cannot be looked at.
    QByteArray saveLocation(const std::filesystem::path& folder) const;
    // Throws PlatformError when the bytes are no saved location.
    ResolvedCardLocation resolveLocation(const QByteArray& bytes) const;

    bool holdFolder(const std::filesystem::path& folder);
    void releaseFolder(const std::filesystem::path& folder);
    // How many accesses are open, all folders together.
    int heldFolderCount() const noexcept;

private:
    std::shared_ptr<const FileSystemLocator> locator_;
    std::map<std::filesystem::path, int> openAccesses_;
};

} // namespace velunora
