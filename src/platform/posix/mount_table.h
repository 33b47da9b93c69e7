// SPDX-License-Identifier: MIT
#pragma once
// The mount table text (/proc/self/mounts, /proc/self/mountinfo) turned into the places listDrives
// offers, the pseudo file systems a walk leaves out and the network shares; kept apart from the system calls so the
// selection can be tested on any text.
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"

namespace tvr::platform::posix {

/// A mount point as the mount table writes it ("\ooo" escapes) turned into the path.
std::string unescapeMountPath(std::string_view field);

/// The mount points of the kernel's pseudo file systems (proc, sysfs, devtmpfs, devpts, cgroup
/// and the like), and whatever is mounted at /proc, /sys or /dev; never "/".
std::vector<std::string> pseudoMountPoints(std::string_view mounts);

/// True when the mount table (/proc/self/mountinfo) gives the device ("major:minor") a network
/// file system's type: NFS, SMB, 9p, Ceph and the like, and FUSE except "fuseblk" (a local disk).
bool isShareDevice(std::string_view mountInfo, std::string_view device);

/// "/" (label "File system"), the home folder ("Home") and every mount point at or below
/// /media, /mnt or /run/media (label: its last folder name), each path once, in that order.
std::vector<DriveInfo> drivesFromMounts(std::string_view mounts, std::string_view home);

}  // namespace tvr::platform::posix
