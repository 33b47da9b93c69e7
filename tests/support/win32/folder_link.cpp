// SPDX-License-Identifier: MIT
// The C++ library of MinGW-w64 has no symbolic links, so the Win32 call makes them.
#include "support/folder_link.h"

#include <windows.h>

#include "platform/utf.h"

namespace tvr::test {

namespace {

bool makeLink(const std::string& target, const std::string& link, DWORD kind) {
    std::u16string from = platform::fromUtf8(target);
    std::u16string at = platform::fromUtf8(link);
    for (char16_t* path : {from.data(), at.data()}) {
        for (; *path != 0; ++path) {
            if (*path == u'/') *path = u'\\';
        }
    }
    const auto* linkPath = reinterpret_cast<LPCWSTR>(at.c_str());
    if (!::CreateSymbolicLinkW(linkPath, reinterpret_cast<LPCWSTR>(from.c_str()),
                               kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
        return false;
    }
    // Wine reports success without making anything, so only a link that is there counts.
    const DWORD attributes = ::GetFileAttributesW(linkPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

bool makeFolderLink(const std::string& target, const std::string& link) {
    return makeLink(target, link, SYMBOLIC_LINK_FLAG_DIRECTORY);
}

bool makeFileLink(const std::string& target, const std::string& link) { return makeLink(target, link, 0); }

}  // namespace tvr::test
