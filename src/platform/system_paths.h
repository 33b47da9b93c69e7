// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace tvr::platform {

/// Full path of the running executable; empty when it cannot be had.
std::u16string executablePath();
/// The folder under which a program installed for the whole system keeps each user's files:
/// Linux $XDG_CONFIG_HOME when it is absolute, else ~/.config (empty when no home is known);
/// empty on Windows, where a program keeps its files beside itself wherever it is installed.
std::u16string userConfigFolder();
/// The user's Videos folder (Linux: XDG_VIDEOS_DIR from user-dirs.dirs, else ~/Videos); empty when unknown.
std::u16string userVideosFolder();

}  // namespace tvr::platform
