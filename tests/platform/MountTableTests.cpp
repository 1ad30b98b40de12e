#include "platform/MountTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace velunora {
namespace {

TEST(MountInfoParsing, ReadsTheFieldsAroundAnyNumberOfOptionalFields) {
    const auto entries = parseMountInfo(
        "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
        "35 22 0:30 / /tmp rw,nosuid,nodev - tmpfs tmpfs rw,size=8119264k\n"
        "143 29 8:17 / /media/lea/CARD rw,nosuid,nodev,relatime shared:80 master:3 "
        "propagate_from:2 "
        "- vfat /dev/sdb1 rw,fmask=0022,dmask=0022,codepage=437,iocharset=utf8\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (MountEntry{259, 2, "/", "/", "ext4", "/dev/nvme0n1p2"}));
    EXPECT_EQ(entries[1], (MountEntry{0, 30, "/", "/tmp", "tmpfs", "tmpfs"}));
    EXPECT_EQ(entries[2], (MountEntry{8, 17, "/", "/media/lea/CARD", "vfat", "/dev/sdb1"}));
}

TEST(MountInfoParsing, DecodesTheKernelsOctalEscapes) {
    const auto entries =
        parseMountInfo("143 29 8:17 / /media/lea/NO\\040NAME rw shared:80 - vfat /dev/sdb1 rw\n"
                       "144 29 8:33 / /media/lea/a\\011b\\134c\\012d rw - exfat /dev/sdc1 rw\n"
                       "146 29 8:65 / /media/lea/END\\040 rw - ext4 /dev/sde1 rw\n"
                       // Not an escape the kernel writes: kept as it stands.
                       "145 29 8:49 / /media/lea/x\\9yz\\04 rw - ext4 /dev/sdd1 rw\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].mountPoint, "/media/lea/NO NAME");
    EXPECT_EQ(entries[1].mountPoint, "/media/lea/a\tb\\c\nd");
    EXPECT_EQ(entries[2].mountPoint, "/media/lea/END ");
    EXPECT_EQ(entries[3].mountPoint, "/media/lea/x\\9yz\\04");
}

TEST(MountInfoParsing, KeepsABindMountsRoot) {
    const auto entries = parseMountInfo(
        "412 22 259:2 /home/lea/shared /srv/shared rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
        "501 480 259:2 /var/lib/docker/containers/ab12/hosts /etc/hosts rw - ext4 /dev/nvme0n1p2 "
        "rw\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].root, "/home/lea/shared");
    EXPECT_EQ(entries[0].mountPoint, "/srv/shared");
    EXPECT_EQ(entries[1].root, "/var/lib/docker/containers/ab12/hosts");
}

TEST(MountInfoParsing, SkipsMalformedLinesAndKeepsTheOthers) {
    const auto entries = parseMountInfo("\n"
                                        "garbage\n"
                                        "12 1 8:1 / /nosep rw shared:1 ext4 /dev/sda1 rw\n"
                                        "13 1 8x1 / /baddevice rw - ext4 /dev/sda1 rw\n"
                                        "14 1 8: / /nominor rw - ext4 /dev/sda1 rw\n"
                                        "15 1 :1 / /nomajor rw - ext4 /dev/sda1 rw\n"
                                        "16 1 8:1 / /nosource rw - ext4\n"
                                        "17 1 8:1 / /short\n"
                                        "18 1 8:2 / /good rw - ext4 /dev/sda2 rw");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/good") << "a last line without a newline counts";
}

TEST(MountInfoReading, ReadsAFileAndGivesNothingForAMissingOne) {
    const testing::TemporaryFolder folder;
    const auto file =
        folder.write("mountinfo", "22 1 259:2 / / rw shared:1 - ext4 /dev/nvme0n1p2 rw\n");
    EXPECT_EQ(readMountTable(file).size(), 1u);
    EXPECT_TRUE(readMountTable(folder.path() / "missing").empty());
    EXPECT_FALSE(readMountTable().empty()) << "this process's own table";
}

} // namespace
} // namespace velunora
