#include "sync/volumes/MountTableVolumeSource.h"

#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;

// Block-backed, yet never a volume a user would insert or name: snap packages and live
// systems mount their read-only images this way, by the dozen.
bool isImageFileSystem(std::string_view type) {
    constexpr std::array<std::string_view, 3> images{"squashfs", "erofs", "cramfs"};
    return std::find(images.begin(), images.end(), type) != images.end();
}

// A bind mount of a sub-folder or of one file (a container's /etc/hosts) is not a volume of
// its own. A btrfs subvolume's root is never "/", so btrfs is taken as it comes.
bool mountsWholeFileSystem(const MountEntry& entry) {
    return entry.root == "/" || entry.fileSystemType == "btrfs";
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool startsWithDigit(std::string_view text) {
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

// Whether sysfs knows the device and, if so, whether it can leave the machine. Built-in card
// readers sit on the mmc bus and report removable=0: they count as removable all the same,
// except soldered eMMC storage, which the mmc bus types "MMC" where a card says "SD".
std::optional<bool> removability(const fs::path& sysfsRoot, unsigned major, unsigned minor) {
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    fs::path device = fs::canonical(
        sysfsRoot / "dev" / "block" / (std::to_string(major) + ':' + std::to_string(minor)), error);
    if (error) {
        return std::nullopt;
    }
    if (fs::exists(device / "partition", error)) {
        device = device.parent_path();
    }
    if (firstLine(device / "removable") == "1") {
        return true;
    }
    bool mmc = device.filename().string().starts_with("mmcblk");
    for (const fs::path& component : device.lexically_relative(root)) {
        const std::string name = component.string();
        if (name.starts_with("usb") && startsWithDigit(std::string_view(name).substr(3))) {
            return true;
        }
        mmc = mmc || name == "mmc_host";
    }
    return mmc && firstLine(device / "device" / "type") != "MMC";
}

std::string volumeName(const fs::path& mountPoint) {
    const std::string last = mountPoint.filename().string();
    return last.empty() ? mountPoint.string() : last;
}

} // namespace

MountTableVolumeSource::MountTableVolumeSource(fs::path mountInfo, fs::path sysfsRoot,
                                               QObject* parent)
    : VolumeSource(parent)
    , mountInfo_(std::move(mountInfo))
    , sysfsRoot_(std::move(sysfsRoot)) {
    // The kernel flags its table's descriptor with POLLPRI whenever a mount comes or goes.
    descriptor_ = ::open(mountInfo_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Exception);
        connect(notifier_.get(), &QSocketNotifier::activated, this,
                &MountTableVolumeSource::reload);
    }
    setAnnouncedVolumes(listedKeys());
}

MountTableVolumeSource::~MountTableVolumeSource() {
    notifier_.reset();
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

std::vector<MountedVolume> MountTableVolumeSource::mountedVolumes() const {
    std::vector<MountedVolume> volumes;
    for (const Listed& listed : listing()) {
        volumes.push_back(listed.volume);
    }
    return volumes;
}

void MountTableVolumeSource::reload() {
    announceVolumes(listedKeys());
}

std::set<std::string> MountTableVolumeSource::listedKeys() const {
    std::set<std::string> keys;
    for (const Listed& listed : listing()) {
        keys.insert(listed.key);
    }
    return keys;
}

const std::vector<MountTableVolumeSource::Listed>& MountTableVolumeSource::listing() const {
    std::vector<MountEntry> table = readMountTable(mountInfo_);
    if (listed_ && table == table_) {
        return listing_;
    }
    listing_.clear();
    std::set<std::pair<unsigned, unsigned>> devices;
    for (const MountEntry& entry : table) {
        if (entry.deviceMajor == 0 || isImageFileSystem(entry.fileSystemType) ||
            !mountsWholeFileSystem(entry) ||
            !devices.emplace(entry.deviceMajor, entry.deviceMinor).second) {
            continue;
        }
        const std::optional<bool> removable =
            removability(sysfsRoot_, entry.deviceMajor, entry.deviceMinor);
        if (!removable) {
            continue;
        }
        // The device as well as the folder: a card swapped under the same label is a change.
        std::string key = std::to_string(entry.deviceMajor) + ':' +
                          std::to_string(entry.deviceMinor) + ' ' + entry.mountPoint.string();
        listing_.push_back(
            {std::move(key), MountedVolume{entry.mountPoint, volumeName(entry.mountPoint),
                                           *removable, *removable}});
    }
    table_ = std::move(table);
    listed_ = true;
    return listing_;
}

} // namespace velunora
