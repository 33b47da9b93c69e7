// SPDX-License-Identifier: MIT
#pragma once
// Where a front-end keeps the settings, the log, the list files and the stores when its command
// line names no folder.
#include <string>
#include <string_view>

namespace tvr::core {

/// The folder beside the executable, unless the executable is an installed program's (Linux: in
/// ".../usr/bin" or ".../usr/local/bin"; Windows: in a folder the installer marked) and the
/// system has a per-user configuration folder: then "<userConfigFolder>/tamvikvr" on Linux,
/// "<userConfigFolder>\TamvikVR" (in %APPDATA%) on Windows. A build tree, an unpacked zip or a
/// copied folder keeps its files beside the program.
std::u16string defaultDataFolder(std::u16string_view executablePath, std::u16string_view userConfigFolder);

}  // namespace tvr::core
