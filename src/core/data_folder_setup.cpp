// SPDX-License-Identifier: MIT
#include "core/data_folder_setup.h"

#include <string>
#include <vector>

#include "core/paths.h"
#include "core/settings.h"
#include "platform/fs.h"

namespace tvr::core {

bool prepareDataFolder(std::u16string_view dataFolder, std::u16string_view programFolder, std::u16string* copiedFrom) {
    std::vector<std::u16string> made;
    if (dataFolder.empty() || !makeFolderTree(dataFolder, &made)) return false;
    for (const std::u16string& folder : made) {
        if (!platform::restrictToOwner(folder)) return false;
    }
    if (dataFolder == programFolder) return true;
    std::u16string settings(dataFolder);
    appendPath(settings, kSettingsFileName);
    std::u16string earlier(programFolder);
    appendPath(earlier, kSettingsFileName);
    std::string bytes;
    if (platform::pathKind(settings) == platform::PathKind::Missing &&
        platform::pathKind(earlier) == platform::PathKind::File && platform::readFileBytes(earlier, &bytes)) {
        // A failed copy leaves the defaults, as on a first start; the earlier file stays.
        if (platform::writeFileAtomic(settings, bytes) && copiedFrom != nullptr) *copiedFrom = earlier;
    }
    return true;
}

}  // namespace tvr::core
