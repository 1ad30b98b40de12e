#include "platform/MountTable.h"

#include "platform/BoundedFile.h"

#include <charconv>

namespace velunora {
namespace {

// The kernel escapes space, tab, newline and backslash as three octal digits.
std::string unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t index = 0; index < field.size(); ++index) {
        const char character = field[index];
        if (character == '\\' && index + 3 < field.size()) {
            const std::string_view digits = field.substr(index + 1, 3);
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value, 8);
            if (error == std::errc() && end == digits.data() + digits.size() && value < 256) {
                text.push_back(static_cast<char>(value));
                index += 3;
                continue;
            }
        }
        text.push_back(character);
    }
    return text;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t position = 0;
    while (position < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', position);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        fields.push_back(line.substr(start, end - start));
        position = end;
    }
    return fields;
}

bool parseDevice(std::string_view field, unsigned& major, unsigned& minor) {
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const char* first = field.data();
    const auto majorResult = std::from_chars(first, first + colon, major);
    const auto minorResult = std::from_chars(first + colon + 1, first + field.size(), minor);
    return majorResult.ec == std::errc() && majorResult.ptr == first + colon &&
           minorResult.ec == std::errc() && minorResult.ptr == first + field.size();
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = text.find('\n', position);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto fields = splitFields(text.substr(position, end - position));
        position = end + 1;

        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") {
            ++separator;
        }
        if (fields.size() < 6 || separator + 2 >= fields.size()) {
            continue;
        }
        MountEntry entry;
        if (!parseDevice(fields[2], entry.deviceMajor, entry.deviceMinor)) {
            continue;
        }
        entry.root = unescape(fields[3]);
        entry.mountPoint = unescape(fields[4]);
        entry.fileSystemType = unescape(fields[separator + 1]);
        entry.source = unescape(fields[separator + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> readMountTable(const std::filesystem::path& mountInfo) {
    // Far beyond the mount table of any desktop.
    constexpr std::size_t largestMountTable = 64u << 20;
    const auto text = readSystemFile(mountInfo, largestMountTable);
    if (!text) {
        return {};
    }
    return parseMountInfo(*text);
}

} // namespace velunora
