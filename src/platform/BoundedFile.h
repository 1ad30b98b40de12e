#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace velunora {

// Reads a whole regular file of at most `maximumBytes` bytes. Anything else in its place (a
// FIFO, a device, a folder, a symbolic link, a file that grows past the bound while read) is
// refused without blocking: such a thing where our own data belongs is never waited on nor read
// without end, and so is a file owned by another user. Nothing when there is no file; throws
// PlatformError when it cannot be read or is refused. `identity`, when given, receives fileIdentity
// of the file read.
std::optional<std::string> readRegularFile(const std::filesystem::path& file,
                                           std::size_t maximumBytes,
                                           std::string* identity = nullptr);

// A file of the system's (under /proc, or a zone file behind a link), read in chunks up to its
// end, links followed: such files may report no size. Nothing when it cannot be opened or read,
// or holds more than `maximumBytes`. Never throws for the file's sake.
std::optional<std::string> readSystemFile(const std::filesystem::path& file,
                                          std::size_t maximumBytes);

// What tells one version of a file from another without reading it: its file system, inode,
// size and modification time to the nanosecond. Empty when there is no such file.
std::string fileIdentity(const std::filesystem::path& file);

} // namespace velunora
