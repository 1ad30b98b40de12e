#include "sync/desktop/AutostartEntry.h"

#include "platform/AtomicFile.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cerrno>
#include <fstream>
#include <unistd.h>

namespace velunora {
namespace {

// Exec values are quoted when they hold anything the desktop-entry grammar treats specially.
std::string quotedExec(const std::string& path) {
    if (path.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
        return path;
    }
    std::string quoted = "\"";
    for (const char character : path) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted.push_back('\\');
        }
        quoted.push_back(character);
    }
    quoted.push_back('"');
    // The entry's own escaping comes on top of the quoting: each backslash is written twice.
    std::string escaped;
    for (const char character : quoted) {
        if (character == '\\') {
            escaped.push_back('\\');
        }
        escaped.push_back(character);
    }
    return escaped;
}

std::string trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

DesktopAutostartEntry::DesktopAutostartEntry(std::filesystem::path autostartFolder,
                                             std::filesystem::path executable)
    : autostartFolder_(std::move(autostartFolder))
    , executable_(std::move(executable)) {}

DesktopAutostartEntry DesktopAutostartEntry::standard() {
    const auto config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
    return DesktopAutostartEntry(std::filesystem::path(config) / "autostart",
                                 QCoreApplication::applicationFilePath().toStdString());
}

std::string DesktopAutostartEntry::desktopEntry(const std::filesystem::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velunora Sync\n"
           "Comment=Syncs the nights from the CPAP device’s SD card\n"
           "Comment[fr]=Synchronise les nuits de la carte SD de l’appareil PPC\n"
           "Exec=" +
           quotedExec(executable.string()) +
           "\n"
           "Icon=velunora-sync\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n"
           // The tray host of the session must be up before the tray item asks for it.
           "X-GNOME-Autostart-Delay=3\n";
}

bool DesktopAutostartEntry::isEnabled() const {
    std::ifstream entry(entryURL());
    if (!entry) {
        return false;
    }
    bool inMainGroup = false;
    for (std::string line; std::getline(entry, line);) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && line.rfind("Hidden", 0) == 0) {
            const auto equals = line.find('=');
            if (equals != std::string::npos && trimmed(line.substr(6, equals - 6)).empty() &&
                trimmed(line.substr(equals + 1)) == "true") {
                return false;
            }
        }
    }
    return true;
}

void DesktopAutostartEntry::registerItem() {
    std::error_code error;
    const auto executable = std::filesystem::absolute(executable_, error);
    if (error) {
        throw PlatformError::fileUnreadable(executable_, error.value());
    }
    if (!std::filesystem::is_directory(autostartFolder_, error)) {
        createPrivateFolder(autostartFolder_);
    }
    writeFileAtomically(entryURL(), desktopEntry(executable.lexically_normal()));
}

void DesktopAutostartEntry::unregisterItem() {
    if (::unlink(entryURL().c_str()) != 0 && errno != ENOENT) {
        throw PlatformError::fileUnremovable(entryURL(), errno);
    }
}

} // namespace velunora
