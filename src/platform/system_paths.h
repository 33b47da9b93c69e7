// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace tvr::platform {

/// Full path of the running executable; empty when it cannot be had.
std::u16string executablePath();
/// The user's Videos folder (Linux: XDG_VIDEOS_DIR from user-dirs.dirs, else ~/Videos); empty when unknown.
std::u16string userVideosFolder();

}  // namespace tvr::platform
