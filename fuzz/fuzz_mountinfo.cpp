// Any text read as the kernel's mount table gives the entries of its well-formed lines, none
// more. Written back as the kernel writes them, the entries read back the same: unescaping
// neither loses nor adds a byte, whatever a path holds.
#include "platform/MountTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The kernel's escapes: three octal digits for space, tab, newline and backslash. NUL as well,
// which the kernel never writes but the reader decodes.
std::string escaped(std::string_view field) {
    std::string text;
    for (const char character : field) {
        if (character == ' ' || character == '\t' || character == '\n' || character == '\\' ||
            character == '\0') {
            const auto value = static_cast<unsigned char>(character);
            text += '\\';
            text += static_cast<char>('0' + (value >> 6));
            text += static_cast<char>('0' + ((value >> 3) & 7));
            text += static_cast<char>('0' + (value & 7));
        } else {
            text += character;
        }
    }
    return text;
}

std::string lineOf(const velunora::MountEntry& entry) {
    // An optional field before the separator, as on systemd machines.
    return "36 35 " + std::to_string(entry.deviceMajor) + ':' + std::to_string(entry.deviceMinor) +
           ' ' + escaped(entry.root) + ' ' + escaped(entry.mountPoint.native()) +
           " rw,nosuid shared:1 - " + escaped(entry.fileSystemType) + ' ' + escaped(entry.source) +
           " rw\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = velunora::parseMountInfo(text);

    if (entries.size() > static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1) {
        std::abort();
    }

    std::string written;
    for (const auto& entry : entries) {
        if (entry.root.empty() || entry.mountPoint.empty() || entry.fileSystemType.empty() ||
            entry.source.empty()) {
            std::abort();
        }
        written += lineOf(entry);
    }
    if (velunora::parseMountInfo(written) != entries) {
        std::abort();
    }
    return 0;
}
