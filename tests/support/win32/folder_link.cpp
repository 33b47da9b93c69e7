// SPDX-License-Identifier: MIT
// The C++ library of MinGW-w64 has no symbolic links, so the Win32 call makes them.
#include "support/folder_link.h"

#include <windows.h>

#include "platform/utf.h"

namespace tvr::test {

bool makeFolderLink(const std::string& target, const std::string& link) {
    std::u16string from = platform::fromUtf8(target);
    std::u16string at = platform::fromUtf8(link);
    for (char16_t* path : {from.data(), at.data()}) {
        for (; *path != 0; ++path) {
            if (*path == u'/') *path = u'\\';
        }
    }
    return ::CreateSymbolicLinkW(reinterpret_cast<LPCWSTR>(at.c_str()), reinterpret_cast<LPCWSTR>(from.c_str()),
                                 SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
}

}  // namespace tvr::test
