#include "support/TestSupport.h"
#include "sync/volumes/MountTableVolumeSource.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velunora {
namespace {

namespace fs = std::filesystem;

const std::string root = "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n";
const std::string proc = "27 22 0:22 / /proc rw,nosuid,nodev,noexec shared:12 - proc proc rw\n";
const std::string tmpfs = "35 22 0:30 / /tmp rw,nosuid,nodev shared:14 - tmpfs tmpfs rw\n";
const std::string stick =
    "143 29 8:17 / /media/lea/NO\\040NAME rw,nosuid,nodev shared:80 - vfat /dev/sdb1 rw\n";
const std::string reader =
    "150 29 179:1 / /media/lea/RESMED rw,nosuid,nodev shared:85 - vfat /dev/mmcblk0p1 rw\n";

// A mount table and the sysfs devices behind it, as the kernel lays them out.
class Machine {
public:
    Machine() {
        // The internal NVMe disk, its system partition at "/".
        addPartition(addDisk("pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1", "0"),
                     "nvme0n1p2", "259:2");
        // A USB stick.
        addPartition(addDisk("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/"
                             "6:0:0:0/block/sdb",
                             "1"),
                     "sdb1", "8:17");
        // A laptop's built-in reader: the card says removable=0.
        const fs::path card = "pci0000:00/0000:00:1c.0/0000:02:00.0/rtsx_pci_sdmmc.0/mmc_host/"
                              "mmc0/mmc0:aaaa";
        addPartition(addMMCDisk(card, "SD", "mmcblk0"), "mmcblk0p1", "179:1");
    }

    // A disk on the mmc bus below its card, which tells SD cards ("SD") from soldered storage.
    fs::path addMMCDisk(const fs::path& card, const std::string& type, const std::string& name) {
        folder_.write(devices / card / "type", type + "\n");
        const fs::path disk = addDisk(card / "block" / name, "0");
        fs::create_directory_symlink("../..", folder_.path() / devices / disk / "device");
        return disk;
    }

    // The disk's folder below sys/devices, with its removable flag.
    fs::path addDisk(const fs::path& path, const std::string& removable) {
        folder_.write(devices / path / "removable", removable + "\n");
        return path;
    }

    void addPartition(const fs::path& disk, const std::string& name, const std::string& number) {
        folder_.write(devices / disk / name / "partition", "1\n");
        link(disk / name, number);
    }

    // sys/dev/block/MAJ:MIN, the way the kernel finds a device by its number.
    void link(const fs::path& device, const std::string& number) {
        folder_.makeFolder("sys/dev/block");
        fs::create_directory_symlink("../../devices" / device,
                                     folder_.path() / "sys/dev/block" / number);
    }

    void writeTable(const std::string& text) { folder_.write("mountinfo", text); }

    fs::path table() const { return folder_.path() / "mountinfo"; }
    fs::path sys() const { return folder_.path() / "sys"; }

private:
    inline static const fs::path devices = "sys/devices";
    testing::TemporaryFolder folder_;
};

TEST(MountTableVolumes, ListsBlockDevicesWithTheirRemovabilityFromSysfs) {
    Machine machine;
    // A SATA disk and a USB hard disk, both removable=0; soldered eMMC on the mmc bus.
    machine.addPartition(
        machine.addDisk("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda", "0"),
        "sda1", "8:1");
    machine.addPartition(machine.addDisk("pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/"
                                         "target7:0:0/7:0:0:0/block/sdc",
                                         "0"),
                         "sdc1", "8:33");
    machine.writeTable(root + proc + tmpfs + stick + reader +
                       "40 22 8:1 / /home rw,relatime shared:20 - ext4 /dev/sda1 rw\n"
                       "160 29 8:33 / /media/lea/Backup rw shared:90 - ext4 /dev/sdc1 rw\n"
                       // Mounted again, and bound from a sub-folder: still one volume each.
                       "161 22 8:17 / /mnt/stick rw shared:80 - vfat /dev/sdb1 rw\n"
                       "170 22 259:2 /home/lea/shared /srv/shared rw shared:1 - ext4 "
                       "/dev/nvme0n1p2 rw\n"
                       // A device sysfs does not know.
                       "180 29 8:49 / /media/lea/GONE rw - vfat /dev/sdd1 rw\n");

    const MountTableVolumeSource source(machine.table(), machine.sys());
    EXPECT_EQ(source.mountedVolumes(),
              (std::vector<MountedVolume>{{"/", "/", false, false},
                                          {"/media/lea/NO NAME", "NO NAME", true, true},
                                          {"/media/lea/RESMED", "RESMED", true, true},
                                          {"/home", "home", false, false},
                                          {"/media/lea/Backup", "Backup", true, true}}));
}

TEST(MountTableVolumes, LeavesOutImagesAndSolderedStorage) {
    Machine machine;
    machine.link(machine.addDisk("virtual/block/loop3", "0"), "7:3");
    machine.addPartition(
        machine.addMMCDisk("platform/fe310000.mmc/mmc_host/mmc1/mmc1:0001", "MMC", "mmcblk1"),
        "mmcblk1p1", "179:33");
    machine.writeTable(root +
                       "60 22 7:3 / /snap/core22/1380 ro,nodev,relatime shared:30 - squashfs "
                       "/dev/loop3 ro\n"
                       "61 22 179:33 / /data rw shared:31 - ext4 /dev/mmcblk1p1 rw\n");

    const MountTableVolumeSource source(machine.table(), machine.sys());
    EXPECT_EQ(
        source.mountedVolumes(),
        (std::vector<MountedVolume>{{"/", "/", false, false}, {"/data", "data", false, false}}));
}

TEST(MountTableVolumes, ReloadSignalsExactlyWhatCameAndWent) {
    Machine machine;
    machine.writeTable(root + proc);
    MountTableVolumeSource source(machine.table(), machine.sys());
    QSignalSpy mounted(&source, &VolumeSource::volumeMounted);
    QSignalSpy unmounted(&source, &VolumeSource::volumeUnmounted);

    machine.writeTable(root + proc + stick);
    source.reload();
    EXPECT_EQ(mounted.count(), 1);
    EXPECT_EQ(unmounted.count(), 0);

    source.reload();
    machine.writeTable(root + proc + stick + tmpfs);
    source.reload();
    EXPECT_EQ(mounted.count(), 1) << "no change, then only a file system that is no volume";

    machine.writeTable(root + proc + tmpfs);
    source.reload();
    EXPECT_EQ(mounted.count(), 1);
    EXPECT_EQ(unmounted.count(), 1);
    EXPECT_EQ(source.mountedVolumes().size(), 1u);
}

TEST(MountTableVolumes, ACardSwappedInOneChangeIsAnUnmountThenAMount) {
    Machine machine;
    machine.writeTable(root + stick);
    MountTableVolumeSource source(machine.table(), machine.sys());
    std::vector<std::string> events;
    QObject::connect(&source, &VolumeSource::volumeMounted, [&] { events.push_back("mounted"); });
    QObject::connect(&source, &VolumeSource::volumeUnmounted,
                     [&] { events.push_back("unmounted"); });

    // Another card at the same folder: only the device number tells them apart.
    machine.writeTable(
        root + "151 29 179:1 / /media/lea/NO\\040NAME rw shared:85 - vfat /dev/mmcblk0p1 rw\n");
    source.reload();
    EXPECT_EQ(events, (std::vector<std::string>{"unmounted", "mounted"}));
}

TEST(MountTableVolumes, SysfsIsReadAgainOnlyWhenTheTableChanges) {
    Machine machine;
    machine.writeTable(root + stick);
    const MountTableVolumeSource source(machine.table(), machine.sys());
    ASSERT_EQ(source.mountedVolumes().size(), 2u);

    fs::remove_all(machine.sys());
    EXPECT_EQ(source.mountedVolumes().size(), 2u) << "the listing of the same table";
    machine.writeTable(root + stick + reader);
    EXPECT_TRUE(source.mountedVolumes().empty()) << "a new table, devices unknown to sysfs";
}

TEST(MountTableVolumes, AnUnreadableTableListsNothing) {
    const testing::TemporaryFolder folder;
    MountTableVolumeSource source(folder.path() / "missing", folder.path() / "sys");
    QSignalSpy mounted(&source, &VolumeSource::volumeMounted);
    EXPECT_TRUE(source.mountedVolumes().empty());
    source.reload();
    EXPECT_EQ(mounted.count(), 0);
}

// The folder dialog for a card opens where cards appear: beside a removable volume mounted
// now, else in the user's folder of the UDisks2 convention before Debian's.
TEST(RemovableMediaFolder, FollowsMountedVolumesThenTheConventions) {
    testing::TemporaryFolder system;
    EXPECT_EQ(removableMediaFolder({}, system.path(), "lea"), fs::path());
    fs::create_directories(system.path() / "media/lea");
    EXPECT_EQ(removableMediaFolder({}, system.path(), "lea"), system.path() / "media/lea");
    EXPECT_EQ(removableMediaFolder({}, system.path(), "paul"), system.path() / "media");
    fs::create_directories(system.path() / "run/media/lea");
    EXPECT_EQ(removableMediaFolder({}, system.path(), "lea"), system.path() / "run/media/lea");

    const std::vector<MountedVolume> volumes = {{"/", "root", false, false},
                                                {"/mnt/cards/RESMED", "RESMED", true, true}};
    EXPECT_EQ(removableMediaFolder(volumes, system.path(), "lea"), fs::path("/mnt/cards"));
}

} // namespace
} // namespace velunora
