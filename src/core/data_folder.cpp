// SPDX-License-Identifier: MIT
#include "core/data_folder.h"

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/system_paths.h"

namespace tvr::core {

std::u16string defaultDataFolder(std::u16string_view executablePath, std::u16string_view userConfigFolder) {
    // Cut at the last separator rather than split by extension: executables have no extension on
    // Linux, and a path without one would count as a folder as a whole.
    std::u16string_view folder = executablePath.substr(0, executablePath.find_last_of(u"/\\"));
    if (userConfigFolder.empty() || !platform::isInstalledProgramFolder(folder)) return std::u16string(folder);
    std::u16string data(userConfigFolder);
    appendPath(data, platform::installedDataFolderName());
    // As the system writes it: "%APPDATA%\TamvikVR" on Windows rather than a mixed "\...Roaming/TamvikVR".
    return platform::displayPath(data);
}

}  // namespace tvr::core
