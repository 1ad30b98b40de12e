#pragma once

#include "platform/MountTable.h"
#include "sync/volumes/VolumeSource.h"

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;

namespace velunora {

// The block devices in the kernel's mount table, with their removability from sysfs: the
// stand-in for machines where no UDisks2 answers.
class MountTableVolumeSource final : public VolumeSource {
    Q_OBJECT

public:
    explicit MountTableVolumeSource(std::filesystem::path mountInfo = "/proc/self/mountinfo",
                                    std::filesystem::path sysfsRoot = "/sys",
                                    QObject* parent = nullptr);
    ~MountTableVolumeSource() override;

    // Block-device mounts in the kernel's order, one per device (its first mount of a whole
    // file system); bind mounts of a sub-folder and image file systems are left out.
    std::vector<MountedVolume> mountedVolumes() const override;

    // Re-reads the table and signals the volumes that came and went since the last reading.
    // The kernel's table triggers it by itself; a plain file never does, so tests call it.
    void reload();

private:
    struct Listed {
        std::string key;
        MountedVolume volume;
    };

    const std::vector<Listed>& listing() const;
    std::set<std::string> listedKeys() const;

    std::filesystem::path mountInfo_;
    std::filesystem::path sysfsRoot_;
    int descriptor_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    // The table and what it gave: sysfs is walked again only when the table changed.
    mutable std::vector<MountEntry> table_;
    mutable std::vector<Listed> listing_;
    mutable bool listed_ = false;
    // The volumes the last signals accounted for.
};

} // namespace velunora
