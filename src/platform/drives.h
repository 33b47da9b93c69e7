// SPDX-License-Identifier: MIT
#pragma once
// The drives a user can browse from the "(Computer)" root. Windows has drive letters; Linux has
// none, so there the places a user browses stand in: the root file system, the home folder and
// the file systems mounted under /media, /mnt and /run/media.
#include <string>
#include <vector>

namespace tvr::platform {

/// One browsable drive or place.
struct DriveInfo {
    std::u16string root;   // ends in "/": "C:/", "/", "/media/anna/USB STICK/"
    std::u16string label;  // volume label or readable name; may be empty
};

/// The drives whose root can be read now, each once, in a stable order.
std::vector<DriveInfo> listDrives();

}  // namespace tvr::platform
