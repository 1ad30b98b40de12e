#include "cardimport/DatalogScan.h"

#include "cardimport/PAPCardImportError.h"
#include "platform/Localization.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
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

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

std::int64_t digitsValue(std::string_view digits) noexcept {
    std::int64_t value = 0;
    for (const char digit : digits) {
        value = value * 10 + (digit - '0');
    }
    return value;
}

std::int64_t daysInMonth(std::int64_t year, std::int64_t month) noexcept {
    constexpr std::int64_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

std::optional<FileVersion> versionOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileVersion{static_cast<std::uint64_t>(status.st_size),
                       status.st_mtim.tv_sec * std::int64_t{1'000'000'000} +
                           status.st_mtim.tv_nsec};
}

} // namespace

std::optional<calendar::LocalDateTime> localStartInName(const std::filesystem::path& file) {
    const std::filesystem::path fileName = file.filename();
    const std::string& name = fileName.native();
    constexpr std::string_view shape = "dddddddd_dddddd_";
    if (name.size() < shape.size()) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < shape.size(); ++index) {
        if (shape[index] == 'd' ? !isDigit(name[index]) : name[index] != shape[index]) {
            return std::nullopt;
        }
    }
    const std::string_view text(name);
    const calendar::LocalDateTime start{
        digitsValue(text.substr(0, 4)),  digitsValue(text.substr(4, 2)),
        digitsValue(text.substr(6, 2)),  digitsValue(text.substr(9, 2)),
        digitsValue(text.substr(11, 2)), digitsValue(text.substr(13, 2))};
    // The calendar would carry 30 February into March: such a name is no date.
    if (start.month < 1 || start.month > 12 || start.day < 1 ||
        start.day > daysInMonth(start.year, start.month) || start.hour > 23 || start.minute > 59 ||
        start.second > 59) {
        return std::nullopt;
    }
    return start;
}

std::vector<ResMedFile> scanDatalog(const std::filesystem::path& datalog) {
    // Symbolic links to folders are not followed (the default), so a link loop on the card cannot
    // trap the walk. There are no packages to step over on Linux: a folder is always a folder.
    // Skipping what may not be read suits the day folders, not DATALOG itself: a walk that
    // starts there would find nothing and report a card without sessions.
    if (const int folder = ::open(datalog.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::close(folder);
    } else if (errno == EACCES || errno == EPERM) {
        throw PAPCardImportError::unreadable(
            localized("PAPCardImportError", "vous n’avez pas l’autorisation de lire le dossier "
                                            "«\u00a0"
                                            "DATALOG\u00a0»"));
    }
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(
        datalog, std::filesystem::directory_options::skip_permission_denied, error);
    if (error) {
        throw PAPCardImportError::unreadable(
            localized("PAPCardImportError", "le dossier DATALOG est inaccessible"));
    }

    struct Found {
        std::string name;
        ResMedFile file;
    };
    std::vector<Found> found;
    // An error further down ends the walk (the iterator becomes the end). A partial listing
    // would import nights with some of their files, which must not pass for whole ones.
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
            found.push_back(Found{name.native(), ResMedFile{url, *kind, versionOf(url)}});
        }
    }
    if (error) {
        throw PAPCardImportError::removedWhileReading(datalog.filename().string());
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
