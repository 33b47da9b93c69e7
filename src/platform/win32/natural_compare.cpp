// SPDX-License-Identifier: MIT
// Natural order on Windows is the shell's own, so the server sorts exactly as Explorer does.
#include "platform/natural_compare.h"

#include <shlwapi.h>
#include <windows.h>

#include <string>

namespace tvr::platform {

int naturalCompare(std::u16string_view a, std::u16string_view b) {
    // StrCmpLogicalW takes terminated strings.
    std::wstring left(a.begin(), a.end());
    std::wstring right(b.begin(), b.end());
    int result = ::StrCmpLogicalW(left.c_str(), right.c_str());
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

}  // namespace tvr::platform
