#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velunora {

// One line of the kernel's mount table (/proc/self/mountinfo).
struct MountEntry {
    unsigned deviceMajor = 0;
    unsigned deviceMinor = 0;
    // The folder of the file system that is mounted here ("/" for a whole file system).
    std::string root;
    std::filesystem::path mountPoint;
    std::string fileSystemType;
    // The mount source, usually the device node ("/dev/sdb1").
    std::string source;

    friend bool operator==(const MountEntry&, const MountEntry&) = default;
};

// Parses mountinfo text in the kernel's order. Octal escapes (\040 for a space) are decoded;
// lines that do not have the kernel's shape are skipped, never guessed at.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Reads and parses the mount table; empty when it cannot be read.
std::vector<MountEntry>
readMountTable(const std::filesystem::path& mountInfo = "/proc/self/mountinfo");

} // namespace velunora
