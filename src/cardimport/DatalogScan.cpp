#include "cardimport/DatalogScan.h"

#include "cardimport/PAPCardImportError.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velunora {
namespace {

// Tested in this order; the first suffix that ends the upper-cased base name decides.
constexpr std::array<std::pair<std::string_view, ResMedFile::Kind>, 7> kindSuffixes{{
    {"_BRP", ResMedFile::Kind::brp},
    {"_PLD", ResMedFile::Kind::pld},
    {"_SAD", ResMedFile::Kind::sad},
    {"_SA2", ResMedFile::Kind::sad},
    {"_EVE", ResMedFile::Kind::eve},
    {"_AEV", ResMedFile::Kind::eve},
    {"_CSL", ResMedFile::Kind::csl},
}};

// The device writes ASCII names; only the ASCII letters need folding to match the suffixes.
char asciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char asciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isEDFExtension(std::string_view extension) {
    constexpr std::string_view edf = ".edf";
    return extension.size() == edf.size() &&
           std::equal(extension.begin(), extension.end(), edf.begin(),
                      [](char a, char b) { return asciiLower(a) == b; });
}

std::optional<ResMedFile::Kind> kindOf(const std::filesystem::path& name) {
    if (!isEDFExtension(name.extension().native())) {
        return std::nullopt;
    }
    std::string base = name.stem().native();
    std::transform(base.begin(), base.end(), base.begin(), asciiUpper);
    for (const auto& [suffix, kind] : kindSuffixes) {
        if (std::string_view(base).ends_with(suffix)) {
            return kind;
        }
    }
    return std::nullopt;
}

bool isHidden(const std::filesystem::path& name) {
    return name.native().starts_with('.');
}

} // namespace

std::vector<ResMedFile> scanDatalog(const std::filesystem::path& datalog) {
    // Symbolic links to folders are not followed (the default), so a link loop on the card cannot
    // trap the walk. There are no packages to step over on Linux: a folder is always a folder.
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(
        datalog, std::filesystem::directory_options::skip_permission_denied, error);
    if (error) {
        throw PAPCardImportError::unreadable("le dossier DATALOG est inaccessible");
    }

    struct Found {
        std::string name;
        ResMedFile file;
    };
    std::vector<Found> found;
    // An error further down ends the walk (the iterator becomes the end); what was found so far
    // is kept and nothing is reported.
    for (const std::filesystem::recursive_directory_iterator end; walk != end;
         walk.increment(error)) {
        const std::filesystem::path& url = walk->path();
        const std::filesystem::path name = url.filename();
        if (isHidden(name)) {
            walk.disable_recursion_pending();
            continue;
        }
        // Not tested for being a regular file: a folder named like a recording is listed and
        // fails later, when it is read.
        if (const auto kind = kindOf(name)) {
            found.push_back(Found{name.native(), ResMedFile{url, *kind}});
        }
    }

    // File names compare as Unicode text; byte order of UTF-8 is code-point order, and
    // std::string compares its bytes as unsigned char. The names are taken out of the paths
    // once: a card of three years holds some seventeen thousand files.
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.name < b.name; });
    std::vector<ResMedFile> files;
    files.reserve(found.size());
    for (Found& entry : found) {
        files.push_back(std::move(entry.file));
    }
    return files;
}

} // namespace velunora
