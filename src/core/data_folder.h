// SPDX-License-Identifier: MIT
#pragma once
// Where a front-end keeps the settings, the log, the list files and the stores when its command
// line names no folder.
#include <string>
#include <string_view>

namespace tvr::core {

/// The name of the per-user data folder of an installed program.
inline constexpr char16_t kUserDataFolderName[] = u"tamvikvr";

/// The folder beside the executable, unless the executable sits in a system program folder
/// (".../usr/bin" or ".../usr/local/bin", where a package or an install puts it) and the system
/// has a per-user configuration folder: then "<userConfigFolder>/tamvikvr". A build tree or a
/// copied folder keeps its files beside the program, as every Windows program does.
std::u16string defaultDataFolder(std::u16string_view executablePath, std::u16string_view userConfigFolder);

}  // namespace tvr::core
