#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <qcoro/qcorotask.h>
#include <set>
#include <string>
#include <vector>

namespace velunora {

// One mounted volume as the card scan sees it.
struct MountedVolume {
    // Where the volume is mounted: the folder the scan examines.
    std::filesystem::path rootFolder;
    // The label, else the mount point's last component (asked for, never relied on).
    std::string name;
    bool isRemovable = false;
    bool isEjectable = false;

    friend bool operator==(const MountedVolume&, const MountedVolume&) = default;
};

// The mounted volumes and their comings and goings. Lives on the main thread and signals there.
class VolumeSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The mounted volumes, hidden ones left out, in the platform's order. Volumes whose
    // properties cannot be read are left out too. Cheap enough for the main thread every 12 s.
    virtual std::vector<MountedVolume> mountedVolumes() const = 0;

    // Unmounts the volume mounted at `root` and powers its drive off where it can, so that the
    // card can be taken out; throws PlatformError, in the user's words, when it cannot.
    virtual QCoro::Task<> eject(std::filesystem::path root);

Q_SIGNALS:
    void volumeMounted();
    void volumeUnmounted();

protected:
    // Records the volumes now listed (one key per volume) and signals what changed since the
    // last call: departures first, so a card swapped in one change ends up as the card found.
    void announceVolumes(std::set<std::string> current);
    // Takes the volumes listed at start as known, without signalling them.
    void setAnnouncedVolumes(std::set<std::string> current) { announced_ = std::move(current); }

private:
    std::set<std::string> announced_;
};

// UDisks2 when it answers on the system bus, else the kernel's mount table.
std::unique_ptr<VolumeSource> makeStandardVolumeSource();

// Where this system mounts removable media for `user`, for a folder dialog to start in: the
// folder of a removable volume mounted now, else the first folder of UDisks2's and Debian's
// conventions found under `systemRoot`; empty when none is.
std::filesystem::path removableMediaFolder(const std::vector<MountedVolume>& volumes,
                                           const std::filesystem::path& systemRoot,
                                           const std::string& user);
// The same for the user running the app, on this system.
std::filesystem::path removableMediaFolder(const std::vector<MountedVolume>& volumes);

} // namespace velunora
