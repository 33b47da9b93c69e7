// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

namespace tvr::platform {

/// Full path of the running executable; empty when it cannot be had.
std::u16string executablePath();
/// The folder under which a program installed for the whole system keeps each user's files:
/// Linux $XDG_CONFIG_HOME when it is absolute, else ~/.config (empty when no home is known);
/// Windows the user's roaming application data folder (%APPDATA%).
std::u16string userConfigFolder();
/// True when the folder is an installed program's, whose data then belongs in the user's own
/// folder: Linux ".../usr/bin" or ".../usr/local/bin" (where a package or an install puts it);
/// Windows a folder that holds the installer's kInstalledMarkerFileName.
bool isInstalledProgramFolder(std::u16string_view folder);
/// The name of an installed program's data folder under userConfigFolder().
std::u16string_view installedDataFolderName();
/// The file the Windows installer leaves beside the programs it installs.
inline constexpr char16_t kInstalledMarkerFileName[] = u"InstalledBySetup.txt";
/// The user's Videos folder (Linux: XDG_VIDEOS_DIR from user-dirs.dirs, else ~/Videos); empty when unknown.
std::u16string userVideosFolder();

}  // namespace tvr::platform
