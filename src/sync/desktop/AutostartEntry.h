#pragma once

#include <filesystem>
#include <string>

namespace velunora {

// The user's registration of the utility as something started at login.
class AutostartEntry {
public:
    virtual ~AutostartEntry() = default;
    virtual bool isEnabled() const = 0;
    // Both throw PlatformError when the desktop's record cannot be changed.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

// XDG autostart: an entry in $XDG_CONFIG_HOME/autostart that the session starts at login.
class DesktopAutostartEntry final : public AutostartEntry {
public:
    // `executable` is what the entry starts; its absolute path is written.
    DesktopAutostartEntry(std::filesystem::path autostartFolder, std::filesystem::path executable);
    // ~/.config/autostart (or $XDG_CONFIG_HOME's) and this process's own executable.
    static DesktopAutostartEntry standard();

    std::filesystem::path entryURL() const { return autostartFolder_ / "velunora-sync.desktop"; }

    // On exactly when our entry is there and not hidden.
    bool isEnabled() const override;
    void registerItem() override;
    void unregisterItem() override;

    // The text of the entry, for the executable given.
    static std::string desktopEntry(const std::filesystem::path& executable);

private:
    std::filesystem::path autostartFolder_;
    std::filesystem::path executable_;
};

} // namespace velunora
