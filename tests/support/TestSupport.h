#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velunora::testing {

// A fresh folder removed with everything in it when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

    // Writes `bytes` to `relativePath`, creating the folders on the way; returns the full path.
    std::filesystem::path write(const std::filesystem::path& relativePath,
                                std::string_view bytes) const;
    std::filesystem::path makeFolder(const std::filesystem::path& relativePath) const;

private:
    std::filesystem::path path_;
};

// The real AirSense 10 card beside the project, when it is there.
std::optional<std::filesystem::path> realCardFolder();

std::string readFile(const std::filesystem::path& path);

// The permission bits of a file or folder (0600, 0700, …).
unsigned fileMode(const std::filesystem::path& path);

// Sets TZ for the life of the object and restores the previous value after.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

// Sets LC_ALL for the life of the object; the process locale stays "C", so the text helpers
// fall back to the environment as they do in a program that never called setlocale.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::optional<std::string> previous_;
};

// Points TMPDIR, the system's temporary folder, at `folder` for the life of the object and
// restores it after. The TemporaryFolders made meanwhile go where they went before, so that the
// folder holds only what the code under test puts there.
class ScopedSystemTemporaryFolder {
public:
    explicit ScopedSystemTemporaryFolder(const std::filesystem::path& folder);
    ~ScopedSystemTemporaryFolder();
    ScopedSystemTemporaryFolder(const ScopedSystemTemporaryFolder&) = delete;
    ScopedSystemTemporaryFolder& operator=(const ScopedSystemTemporaryFolder&) = delete;

private:
    std::optional<std::string> previous_;
    bool pinnedTestFolders_ = false;
};

} // namespace velunora::testing

// Skips the current test with a clear message when the real card is not beside the project.
#define VELUNORA_REQUIRE_REAL_CARD(variable)                                                       \
    const auto variable##Optional = ::velunora::testing::realCardFolder();                         \
    if (!variable##Optional) {                                                                     \
        GTEST_SKIP() << "real card not found beside the project (../shared/cards/airsense10)";     \
    }                                                                                              \
    const std::filesystem::path variable = *variable##Optional
