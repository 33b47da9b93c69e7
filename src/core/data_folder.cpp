// SPDX-License-Identifier: MIT
#include "core/data_folder.h"

#include "core/paths.h"

namespace tvr::core {

namespace {

// Decided by the path rather than by whether the folder can be written: the server may run as
// root, who can write /usr/bin, and a package's program must still not keep settings there.
bool inSystemProgramFolder(std::u16string_view folder) {
    for (std::u16string_view system : {std::u16string_view(u"/usr/bin"), std::u16string_view(u"/usr/local/bin")}) {
        if (folder.ends_with(system)) return true;
    }
    return false;
}

}  // namespace

std::u16string defaultDataFolder(std::u16string_view executablePath, std::u16string_view userConfigFolder) {
    std::u16string_view folder = programFolderOf(executablePath);
    if (userConfigFolder.empty() || !inSystemProgramFolder(folder)) return std::u16string(folder);
    std::u16string data(userConfigFolder);
    appendPath(data, kUserDataFolderName);
    return data;
}

}  // namespace tvr::core
