#pragma once

#include "records/Snapshot.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velunora {

// The largest snapshot file read back: years of nights with their series stay far below it.
inline constexpr std::size_t maximumSnapshotBytes = std::size_t{256} << 20;

// The snapshot kept on this computer: the user can look at it, and the next sync merges with it.
class LocalExport {
public:
    // `dataFolder` is the user's data folder ($XDG_DATA_HOME); the export lives in its
    // "LunexaSync" folder.
    explicit LocalExport(std::filesystem::path dataFolder);
    // The export of the current user.
    static LocalExport standard();

    std::filesystem::path exportFolder() const;
    std::filesystem::path snapshotFile() const;
    // The name an earlier version wrote the same document under; read once, then removed.
    std::filesystem::path legacySnapshotFile() const;

    // Writes the current file atomically and retires the legacy one. Throws PlatformError or
    // SnapshotEncodingError; the previous file is then intact.
    void writeLocalExport(const OscarSnapshot& snapshot) const;
    // The same with the document already encoded.
    void writeLocalExport(std::string_view json) const;
    // What a publication writes: the document, once the side files of a write stopped half-way
    // are gone; gives the new file's identity. Call only with the publication lock held.
    std::string publish(std::string_view json) const;

    // The published snapshot as read back from the current file, else the legacy file; nothing
    // when neither exists, reads or decodes.
    std::optional<OscarSnapshot> loadPreviousSnapshot() const;

    // The bytes of a snapshot file; nothing when it is missing, unreadable, larger than
    // maximumSnapshotBytes or not a regular file (a FIFO there is never waited on).
    // `identity`, when given, receives the file's identity (see exportIdentity) as read.
    static std::optional<std::string> readSnapshotFile(const std::filesystem::path& file,
                                                       std::string* identity = nullptr);
    // What tells this version of the current file from any later one: empty when there is none.
    std::string exportIdentity() const;

    // Removes the side files that a write stopped half-way (the process killed) left beside
    // the export: each a full copy of the user's nights. Call only where no other write of this
    // export can be under way (the publication lock is held).
    void removeLeftovers() const;

    // Removes both files when they exist (the folder stays). Throws PlatformError.
    void removeFiles() const;

private:
    std::filesystem::path dataFolder_;
};

} // namespace velunora
