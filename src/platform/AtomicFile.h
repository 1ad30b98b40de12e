#pragma once

#include <filesystem>
#include <string_view>

namespace velunora {

// Whether a file must still be there, whole, after a crash or a power cut: published nights must;
// a cache, which is checked when read and rebuilt when damaged, need not, and spares the waits
// for the disk.
enum class Durability { survivesCrash, mayBeLost };

// Replaces the file with `bytes` in one step: a reader sees the old content or the new one,
// never a mix. Only a regular file (or nothing) is replaced: a folder, a link, a FIFO or a device
// in its place is refused with PlatformError, never written through nor silently removed. The file
// is created readable by its owner only (it holds health data), through a hidden sibling that is
// flushed to disk (unless it may be lost) and then renamed over the target. Throws PlatformError;
// on failure the previous file is intact and no sibling is left behind.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         Durability durability = Durability::survivesCrash);

// Creates the file, which must not exist yet, with `bytes`, readable by its owner only, and
// flushes it to disk. Meant for a fresh private folder that is renamed into place once complete:
// no reader sees the file half-written, so it needs no sibling and no rename of its own. The
// folder itself is not flushed. Throws PlatformError; on failure no file is left.
void writeNewFile(const std::filesystem::path& target, std::string_view bytes);

// Creates the folder and any missing parents; new folders are for the owner only (0700). A
// folder that is already there must be the user's and not writable by everyone, or
// PlatformError::folderNotPrivate is thrown. Throws PlatformError.
void createPrivateFolder(const std::filesystem::path& folder);

} // namespace velunora
