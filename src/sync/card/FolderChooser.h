#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace velunora {

// The panel in which the user picks one folder (the UI's folder dialog; tests script it).
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Returns once the user has answered: the folder, or nothing when cancelled. The panel
    // opens in `startIn`, or where it likes when that is empty.
    virtual std::optional<std::filesystem::path>
    chooseFolder(const QString& title, const QString& message,
                 const std::filesystem::path& startIn) = 0;
};

} // namespace velunora
