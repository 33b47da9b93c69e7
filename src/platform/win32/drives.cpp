// SPDX-License-Identifier: MIT
// Logical drives and their volume labels on Windows.
#include "platform/drives.h"

#include "platform/win32/win_util.h"

namespace tvr::platform {

std::vector<DriveInfo> listDrives() {
    std::vector<DriveInfo> drives;
    // A drive without a medium (an empty card reader) would show a dialog box without this.
    UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    DWORD mask = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((mask & (1u << letter)) == 0) continue;
        wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0};
        wchar_t label[MAX_PATH + 1] = {};
        if (!::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) continue;
        drives.push_back(DriveInfo{{static_cast<char16_t>(u'A' + letter), u':', u'/'}, win32::fromWide(label)});
    }
    ::SetErrorMode(previousMode);
    return drives;
}

}  // namespace tvr::platform
