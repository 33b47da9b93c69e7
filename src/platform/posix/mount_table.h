// SPDX-License-Identifier: MIT
#pragma once
// The mount table text (/proc/self/mounts) turned into the places listDrives offers and the pseudo
// file systems a walk leaves out; kept apart from the system calls so the selection can be tested
// on any text.
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

/// "/" (label "File system"), the home folder ("Home") and every mount point at or below
/// /media, /mnt or /run/media (label: its last folder name), each path once, in that order.
std::vector<DriveInfo> drivesFromMounts(std::string_view mounts, std::string_view home);

}  // namespace tvr::platform::posix
