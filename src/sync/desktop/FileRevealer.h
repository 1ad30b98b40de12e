#pragma once

#include <filesystem>

namespace velunora {

// Shows a file in the desktop's file browser.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    virtual void reveal(const std::filesystem::path& file) = 0;
};

// The file browser's FileManager1 D-Bus service with the file selected; when no file browser
// offers it, the folder is opened with xdg-open.
class DesktopFileRevealer final : public FileRevealer {
public:
    void reveal(const std::filesystem::path& file) override;
};

} // namespace velunora
