#include "support/TestSupport.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora::testing {

TemporaryFolder::TemporaryFolder() {
    const char* base = std::getenv("VELUNORA_TEST_TMP");
    std::filesystem::path parent = base ? base : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(parent);
    std::string pattern = (parent / "velunora-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed in " + parent.string());
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TemporaryFolder::write(const std::filesystem::path& relativePath,
                                             std::string_view bytes) const {
    const std::filesystem::path full = path_ / relativePath;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + full.string());
    }
    return full;
}

std::filesystem::path TemporaryFolder::makeFolder(const std::filesystem::path& relativePath) const {
    const std::filesystem::path full = path_ / relativePath;
    std::filesystem::create_directories(full);
    return full;
}

std::optional<std::filesystem::path> realCardFolder() {
    const std::filesystem::path card = std::filesystem::path(VELUNORA_REAL_CARD_DIR) / "airsense10";
    std::error_code error;
    if (std::filesystem::is_directory(card / "DATALOG", error)) {
        return card;
    }
    return std::nullopt;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    return std::move(contents).str();
}

unsigned fileMode(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw std::runtime_error("cannot stat " + path.string());
    }
    return info.st_mode & 0777;
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* current = std::getenv("TZ")) {
        previous_ = current;
    }
    ::setenv("TZ", zone, 1);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (previous_) {
        ::setenv("TZ", previous_->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

ScopedLocale::ScopedLocale(const char* name) {
    if (const char* current = std::getenv("LC_ALL")) {
        previous_ = current;
    }
    ::setenv("LC_ALL", name, 1);
}

ScopedLocale::~ScopedLocale() {
    if (previous_) {
        ::setenv("LC_ALL", previous_->c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

ScopedSystemTemporaryFolder::ScopedSystemTemporaryFolder(const std::filesystem::path& folder) {
    if (!std::getenv("VELUNORA_TEST_TMP")) {
        ::setenv("VELUNORA_TEST_TMP", std::filesystem::temp_directory_path().c_str(), 1);
        pinnedTestFolders_ = true;
    }
    if (const char* current = std::getenv("TMPDIR")) {
        previous_ = current;
    }
    ::setenv("TMPDIR", folder.c_str(), 1);
}

ScopedSystemTemporaryFolder::~ScopedSystemTemporaryFolder() {
    if (previous_) {
        ::setenv("TMPDIR", previous_->c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
    if (pinnedTestFolders_) {
        ::unsetenv("VELUNORA_TEST_TMP");
    }
}

} // namespace velunora::testing
