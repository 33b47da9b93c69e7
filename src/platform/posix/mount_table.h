// SPDX-License-Identifier: MIT
#pragma once
// The mount table text (/proc/self/mounts) turned into the places listDrives offers; kept apart
// from the system call so the selection can be tested on any text.
#include <string_view>
#include <vector>

#include "platform/drives.h"

namespace tvr::platform::posix {

/// "/" (label "File system"), the home folder ("Home") and every mount point at or below
/// /media, /mnt or /run/media (label: its last folder name), each path once, in that order.
std::vector<DriveInfo> drivesFromMounts(std::string_view mounts, std::string_view home);

}  // namespace tvr::platform::posix
