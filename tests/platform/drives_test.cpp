// SPDX-License-Identifier: MIT
// The places offered at the "(Computer)" root on Linux: the root, the home folder and the
// mounts under /media, /mnt and /run/media. Windows lists drive letters and is tested there.
#if !defined(_WIN32)
#include "platform/drives.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/fs.h"
#include "platform/posix/mount_table.h"
#include "platform/utf.h"

namespace tvr::platform {
namespace {

std::vector<std::string> describe(const std::vector<DriveInfo>& drives) {
    std::vector<std::string> out;
    for (const DriveInfo& drive : drives) out.push_back(toUtf8(drive.root) + " | " + toUtf8(drive.label));
    return out;
}

TEST(DrivesTest, MountTableGivesRootHomeAndRemovableMountsOnce) {
    const std::string mounts =
        "proc /proc proc rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/sdb1 /media/anna/USB\\040STICK vfat rw 0 0\n"
        "/dev/sdc1 /mnt/backup/ ext4 rw 0 0\n"
        "/dev/sdc1 /mnt/backup ext4 rw 0 0\n"
        "/dev/sdd1 /run/media/anna/Camera exfat rw 0 0\n"
        "/dev/sde1 /mediafiles ext4 rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "truncated-line-without-fields";
    EXPECT_EQ(describe(posix::drivesFromMounts(mounts, "/home/anna/")),
              (std::vector<std::string>{"/ | File system", "/home/anna/ | Home", "/media/anna/USB STICK/ | USB STICK",
                                        "/mnt/backup/ | backup", "/run/media/anna/Camera/ | Camera"}));
    // A home folder that is the root, or unknown, is not listed twice or at all.
    EXPECT_EQ(describe(posix::drivesFromMounts("", "/")), std::vector<std::string>{"/ | File system"});
    EXPECT_EQ(describe(posix::drivesFromMounts("", "")), std::vector<std::string>{"/ | File system"});
}

TEST(DrivesTest, PseudoFileSystemsAreTheKernelsOwnAndWhateverIsMountedAtProcSysOrDev) {
    const std::string mounts =
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "devpts /dev/pts devpts rw 0 0\n"
        "tmpfs /dev/shm tmpfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "proc /run/netns/a\\040b proc rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "rootfs / proc rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "short line";
    EXPECT_EQ(posix::pseudoMountPoints(mounts),
              (std::vector<std::string>{"/proc", "/sys", "/dev", "/dev/pts", "/sys/fs/cgroup", "/run/netns/a b"}));
}

TEST(DrivesTest, SharesAreTheNetworkFileSystemsAndFuseOnesButNotFuseOnALocalDisk) {
    const std::string mountInfo =
        "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
        "30 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "41 30 0:45 / /mnt/nas rw,relatime shared:7 - nfs4 nas:/videos rw,vers=4.2\n"
        "42 30 0:46 / /mnt/smb rw - cifs //pc/videos rw\n"
        "43 30 0:47 / /mnt/remote rw - fuse.sshfs user@host: rw\n"
        "44 30 8:17 / /media/usb rw - fuseblk /dev/sdb1 rw\n"
        "45 30 0:48 / /mnt/slow rw - fuse slowfs rw\n"
        "short line\n";
    const std::pair<const char*, bool> devices[] = {{"0:45", true},  {"0:46", true},  {"0:47", true},
                                                    {"0:48", true},  {"8:2", false},  {"8:17", false},
                                                    {"0:21", false}, {"0:99", false}, {"", false}};
    for (const auto& [device, share] : devices) EXPECT_EQ(posix::isShareDevice(mountInfo, device), share) << device;
}

TEST(DrivesTest, ListDrivesOffersOnlyReadablePlacesStartingWithTheRoot) {
    const std::vector<DriveInfo> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().root, u"/");
    for (const DriveInfo& drive : drives) {
        EXPECT_TRUE(drive.root.ends_with(u"/")) << toUtf8(drive.root);
        EXPECT_EQ(pathKind(drive.root), PathKind::Folder) << toUtf8(drive.root);
    }
}

}  // namespace
}  // namespace tvr::platform
#endif
