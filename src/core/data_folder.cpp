// SPDX-License-Identifier: MIT
#include "core/data_folder.h"

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/system_paths.h"

namespace tvr::core {

std::u16string defaultDataFolder(std::u16string_view executablePath, std::u16string_view userConfigFolder) {
    std::u16string_view folder = programFolderOf(executablePath);
    if (userConfigFolder.empty() || !platform::isInstalledProgramFolder(folder)) return std::u16string(folder);
    std::u16string data(userConfigFolder);
    appendPath(data, platform::installedDataFolderName());
    // As the system writes it: "%APPDATA%\TamvikVR" on Windows rather than a mixed "\...Roaming/TamvikVR".
    return platform::displayPath(data);
}

}  // namespace tvr::core
