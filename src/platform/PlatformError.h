#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace velunora {

// A failure of the operating system (a file that cannot be opened or read, a folder that
// cannot be created), with the errno value that caused it and a French text for the user.
class PlatformError : public std::runtime_error {
public:
    PlatformError(int code, std::string description);

    // The file at `path` could not be read; `code` is the errno value of the failed call.
    static PlatformError fileUnreadable(const std::filesystem::path& path, int code);
    // The file (or folder) at `path` could not be written or created.
    static PlatformError fileUnwritable(const std::filesystem::path& path, int code);
    // The folder at `path` is not the user's alone to keep data in: another user owns it, or
    // anyone may write into it.
    static PlatformError folderNotPrivate(const std::filesystem::path& path);
    // The file at `path` could not be removed.
    static PlatformError fileUnremovable(const std::filesystem::path& path, int code);

    int code() const noexcept { return code_; }
    // The text shown to the user, localized.
    std::string errorDescription() const { return what(); }

private:
    int code_;
};

} // namespace velunora
