// SPDX-License-Identifier: MIT
#pragma once
// The places a user browses from: drive roots on Windows, the root, the home folder and mounted
// file systems elsewhere.
#include <string>
#include <vector>

namespace tvr::platform {

struct Drive {
    std::u16string root;   // with a trailing '/' ("C:/", "/media/usb/")
    std::u16string label;  // the volume label; may be empty
};

/// The drives that can be read now, in a fixed order (Windows: A to Z, skipping drives without
/// a medium).
std::vector<Drive> listDrives();

}  // namespace tvr::platform
