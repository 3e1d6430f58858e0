// SPDX-License-Identifier: GPL-3.0-or-later
// Which mounts become drives: a hand-written mount table over a fake /sys
// tree, and the machine's own table with real tmpfs, loop and bind mounts.
#include "platform/Volumes.h"
#include "platform/DirWalk.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include <fcntl.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tw;
namespace fs = std::filesystem;

namespace {

// <sys>/<devicePath> as a directory and <sys>/dev/block/<majmin> linking to it,
// relative like the kernel's own links.
void AddBlockDevice(const std::string& sys, const std::string& majmin, const std::string& devicePath)
{
    fs::create_directories(sys + "/" + devicePath);
    fs::create_directories(sys + "/dev/block");
    fs::create_symlink("../../" + devicePath, sys + "/dev/block/" + majmin);
}

const char kMountInfo[] =
    "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard\n"
    "27 26 254:0 /srv/data /data rw,relatime - ext4 /dev/vda rw,discard\n"
    "28 26 0:22 / /tmp rw,nosuid - tmpfs tmpfs rw\n"
    "29 26 0:20 / /proc rw - proc proc rw\n"
    "30 26 0:40 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
    "31 26 254:16 / /mnt/home-view rw,relatime shared:5 - ext4 /dev/vdb rw\n"
    "32 26 254:16 / /home rw,relatime shared:5 - ext4 /dev/vdb rw\n"
    "33 26 8:17 / /media/ann/USB\\040STICK rw,nosuid,nodev - vfat /dev/sdb1 rw,fmask=0022\n"
    "34 26 179:1 / /media/ann/card rw - exfat /dev/mmcblk0p1 rw\n"
    "35 26 8:33 / /media/ann/zip rw - ext2 /dev/sdc1 rw\n"
    "36 26 254:32 / /mnt/ro ro,relatime - ext4 /dev/vdc ro\n"
    "37 26 254:48 / /mnt/superro rw,relatime - ext4 /dev/vdd ro,errors=remount-ro\n"
    "38 26 11:0 / /media/cdrom rw - iso9660 /dev/sr0 rw\n"
    "39 26 254:64 / /mnt/hidden rw - ext4 /dev/vde rw\n"
    "40 39 0:41 / /mnt/hidden rw - tmpfs tmpfs rw\n"
    "41 26 0:42 / /home/ann/remote rw - fuse.sshfs ann@host: rw\n"
    "42 26 0:43 /@data /data2 rw master:1 master:2 - btrfs /dev/vdf rw,subvol=/@data\n"
    "43 42 0:43 /@snap /data2/snap rw - btrfs /dev/vdf rw\n"
    "44 26 1:0 / /mnt/ramdisk rw - ext2 /dev/ram0 rw\n"
    "45 26 254:80 / /mnt/tab\\011and\\134back rw - xfs /dev/vdg rw\n"
    "46 26 8:49 /containers/x/hosts /etc/hosts rw - ext4 /dev/sdd1 rw\n"
    "this line is not a mount\n"
    "47 26 7:0 / /mnt/image rw master:3 - ext4 /dev/loop0 rw\n"
    "48 26 0:44 / /dev/shm rw - tmpfs /dev/shm rw\n";

class FakeSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        mountinfo = dir / "mountinfo";
        sys = dir / "sys";
        test::WriteFile(mountinfo, kMountInfo);
        AddBlockDevice(sys, "254:0", "devices/pci0000:00/0000:00:04.0/virtio2/block/vda");
        test::WriteFile(sys + "/devices/pci0000:00/0000:00:04.0/virtio2/block/vda/removable", "0\n");
        AddBlockDevice(sys, "254:16", "devices/pci0000:00/0000:00:05.0/virtio3/block/vdb");
        // A USB stick that calls itself fixed: its bus gives it away.
        const std::string usbDisk = "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
        AddBlockDevice(sys, "8:17", usbDisk + "/sdb1");
        test::WriteFile(sys + "/" + usbDisk + "/removable", "0\n");
        AddBlockDevice(sys, "179:1", "devices/platform/fe320000.mmc/mmc_host/mmc0/mmc0:59b4/block/mmcblk0/mmcblk0p1");
        // A disk on SATA that says removable=1 (a ZIP-style drive) on its disk, not its partition.
        const std::string zipDisk = "devices/pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0/block/sdc";
        AddBlockDevice(sys, "8:33", zipDisk + "/sdc1");
        test::WriteFile(sys + "/" + zipDisk + "/removable", "1\n");
        // btrfs reports an anonymous device number; /sys/class/block names its disk.
        fs::create_directories(sys + "/devices/pci0000:00/0000:00:08.0/virtio6/block/vdf");
        test::WriteFile(sys + "/devices/pci0000:00/0000:00:08.0/virtio6/block/vdf/removable", "1\n");
        fs::create_directories(sys + "/class/block");
        fs::create_symlink("../../devices/pci0000:00/0000:00:08.0/virtio6/block/vdf", sys + "/class/block/vdf");
    }

    test::TempDir dir;
    std::string mountinfo;
    std::string sys;
};

} // namespace

TEST(MountField, OctalEscapesAreDecodedAndAnythingElseKept)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/media/USB\\040STICK", "/media/USB STICK"},
        {"/a\\011b\\012c", "/a\tb\nc"},
        {"/back\\134slash", "/back\\slash"},
        {"/\\303\\244", "/\xc3\xa4"},
        {"/not\\9escape", "/not\\9escape"},
        {"/short\\04", "/short\\04"},
        {"/trailing\\", "/trailing\\"},
        {"", ""},
    };
    for (const auto& [field, decoded] : cases)
        EXPECT_EQ(DecodeMountField(field), decoded) << field;
}

TEST(MountInfo, FieldsAroundOptionalTagsAreFound)
{
    const auto mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 23u);  // the one malformed line is skipped
    const MountEntry& btrfs = mounts[16];
    EXPECT_EQ(btrfs.mountPoint, "/data2");
    EXPECT_EQ(btrfs.root, "/@data");
    EXPECT_EQ(btrfs.fsType, "btrfs");
    EXPECT_EQ(btrfs.source, "/dev/vdf");
    EXPECT_EQ(btrfs.superOptions, "rw,subvol=/@data");
    EXPECT_EQ(btrfs.major, 0u);
    EXPECT_EQ(btrfs.minor, 43u);
    EXPECT_EQ(mounts[7].mountPoint, "/media/ann/USB STICK");
}

TEST_F(FakeSystem, OnlyWritableLocalVolumesOnceEachWithTheirKind)
{
    const std::vector<Volume> volumes = ListLocalVolumes(mountinfo, sys);
    std::vector<std::string> points;
    for (const Volume& v : volumes)
        points.push_back(v.mountPoint);
    // Mount order; / once despite the /data bind, /home rather than its longer
    // bind, the btrfs volume once at its shortest subvolume mount.
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home", "/media/ann/USB STICK", "/media/ann/card",
                                                "/media/ann/zip", "/data2", "/mnt/tab\tand\\back", "/mnt/image"}));

    std::map<std::string, bool> removable;
    for (const Volume& v : volumes)
        removable[v.mountPoint] = v.removable;
    EXPECT_FALSE(removable["/"]);
    EXPECT_FALSE(removable["/home"]);                 // no sys entry at all: fixed
    EXPECT_TRUE(removable["/media/ann/USB STICK"]);   // on usb2
    EXPECT_TRUE(removable["/media/ann/card"]);        // on mmc
    EXPECT_TRUE(removable["/media/ann/zip"]);         // its disk says removable=1
    EXPECT_TRUE(removable["/data2"]);                 // found through /sys/class/block
    EXPECT_FALSE(removable["/mnt/image"]);
    EXPECT_EQ(volumes[2].source, "/dev/sdb1");
    EXPECT_EQ(volumes[2].fsType, "vfat");
}

TEST_F(FakeSystem, MissingTablesGiveNoDrives)
{
    EXPECT_TRUE(ListLocalVolumes(dir / "absent", sys).empty());
    // Without /sys nothing is known to be removable, but the volumes stay.
    const auto volumes = ListLocalVolumes(mountinfo, dir / "no-sys");
    ASSERT_FALSE(volumes.empty());
    for (const Volume& v : volumes)
        EXPECT_FALSE(v.removable) << v.mountPoint;
}

// The machine's own mount table: real mounts appear and vanish as drives.
TEST(RealMounts, LoopVolumeIsADriveOnceTmpfsAndReadOnlyAreNot)
{
    test::LoopExt4Mount loop(8);
    if (!loop.Available())
        GTEST_SKIP() << loop.SkipReason();
    test::TmpfsMount tmpfs("64k");
    if (!tmpfs.Available())
        GTEST_SKIP() << tmpfs.SkipReason();

    auto count = [](const std::vector<Volume>& volumes, const std::string& point) {
        return std::count_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.mountPoint == point; });
    };

    // A bind of the loop volume's root at a longer path: still one drive.
    test::TempDir bindAt;
    const std::string bindPoint = bindAt / "a-longer-bind-point";
    fs::create_directory(bindPoint);
    ASSERT_EQ(mount(loop.Path().c_str(), bindPoint.c_str(), nullptr, MS_BIND, nullptr), 0);
    struct Unbind {
        std::string path;
        ~Unbind() { umount2(path.c_str(), MNT_DETACH); }
    } unbind{bindPoint};

    std::vector<Volume> volumes = ListLocalVolumes("/proc/self/mountinfo", "/sys");
    EXPECT_EQ(count(volumes, loop.Path()), 1);
    EXPECT_EQ(count(volumes, bindPoint), 0);
    EXPECT_EQ(count(volumes, tmpfs.Path()), 0);
    for (const Volume& v : volumes)
        if (v.mountPoint == loop.Path()) {
            EXPECT_FALSE(v.removable);
            EXPECT_EQ(v.fsType, "ext4");
            EXPECT_EQ(v.source.rfind("/dev/loop", 0), 0u) << v.source;
        }

    // Read-only, it can be neither swept nor filled.
    ASSERT_EQ(test::RunCommand("mount -o remount,ro " + loop.Path()), 0);
    volumes = ListLocalVolumes("/proc/self/mountinfo", "/sys");
    EXPECT_EQ(count(volumes, loop.Path()), 0);
    EXPECT_EQ(count(volumes, bindPoint), 0);
}

// Started inside a chroot, the program sees no line for "/" in its mount
// table (nor any table, /proc not being mounted there); "/" is still the
// drive C of the volume that holds it, unless that volume lives in memory.
TEST(RealMounts, TheRootOfAChrootIsItsVolume)
{
    test::LoopExt4Mount loop(8);
    if (!loop.Available())
        GTEST_SKIP() << loop.SkipReason();
    test::TmpfsMount tmpfs("64k");
    if (!tmpfs.Available())
        GTEST_SKIP() << tmpfs.SkipReason();
    struct stat loopStat {};
    ASSERT_EQ(stat(loop.Path().c_str(), &loopStat), 0);

    // What a process chrooted into `dir` lists: mount point, type and device of each.
    auto listedInChroot = [](const std::string& dir) {
        return test::RunInChild([&] {
            if (chroot(dir.c_str()) != 0 || chdir("/") != 0)
                return std::string("chroot failed");
            std::string out;
            for (const Volume& v : ListLocalVolumes(kOwnMountTable, "/sys"))
                out += v.mountPoint + " " + v.fsType + " " + std::to_string(v.major) + ":" + std::to_string(v.minor) + ";";
            return out;
        });
    };
    const std::string inLoop = loop.Path() + "/jail";
    fs::create_directory(inLoop);
    EXPECT_EQ(listedInChroot(inLoop),
              "/ ext4 " + std::to_string(major(loopStat.st_dev)) + ":" + std::to_string(minor(loopStat.st_dev)) + ";");
    EXPECT_EQ(listedInChroot(tmpfs.Path()), "");

    // A hand-written table without "/" is taken as it stands: only the
    // process's own table stands for the process's root.
    test::TempDir dir;
    const std::string table = dir / "mountinfo";
    std::ofstream(table) << "31 26 254:16 / /home rw,relatime - ext4 /dev/vdb rw\n";
    const std::vector<Volume> volumes = ListLocalVolumes(table, dir / "no-sys");
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].mountPoint, "/home");
}

// `mount -t tmpfs "" DIR`: the kernel writes the empty source as an empty
// field between two blanks. Both readers of the table take the fields by
// position: the source is empty (not the options after it), and the mount
// point is below its folder for the sweeps.
TEST(RealMounts, AMountWithAnEmptySourceKeepsItsFieldsInPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    test::TempDir dir;
    const std::string point = dir / "empty source";
    fs::create_directory(point);
    if (mount("", point.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mount tmpfs failed: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{point};

    std::ifstream in(kOwnMountTable);
    const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_NE(table.find(" - tmpfs  rw"), std::string::npos) << "the kernel wrote no empty field";
    const std::vector<MountEntry> mounts = ParseMountInfo(table);
    const auto it = std::find_if(mounts.begin(), mounts.end(), [&](const MountEntry& m) { return m.mountPoint == point; });
    ASSERT_NE(it, mounts.end());
    EXPECT_EQ(it->fsType, "tmpfs");
    EXPECT_EQ(it->source, "");
    EXPECT_EQ(it->superOptions.rfind("rw", 0), 0u) << it->superOptions;
    const std::vector<Volume> volumes = ListLocalVolumes(kOwnMountTable, "/sys");
    EXPECT_TRUE(std::none_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.mountPoint == point; }));

    const int fd = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::unordered_set<std::string> below = MountPointsBelow(fd);
    close(fd);
    EXPECT_EQ(below, (std::unordered_set<std::string>{"empty source"}));

    // The same line cut short, or with its fields run together, is no mount.
    for (const char* line : {"36 35 0:50 / /mnt/x rw - tmpfs rw\n", "36 35 0:50 / /mnt/x rw - tmpfs\n",
                             "36 35 0:50 / /mnt/x rw -  tmpfs  rw\n", "36 35 0:50 / /mnt/\\000x rw - tmpfs a rw\n",
                             "36 35 -1:50 / /mnt/x rw - tmpfs a rw\n", "36 35 0:50 / mnt/x rw - tmpfs a rw\n"})
        EXPECT_TRUE(ParseMountInfo(line).empty()) << line;
}
