// SPDX-License-Identifier: MIT
#include "support/short_name.h"

#include <windows.h>

namespace tvr::test {

std::u16string shortPath(std::u16string_view path) {
    std::wstring native(path.begin(), path.end());
    for (wchar_t& c : native) {
        if (c == L'/') c = L'\\';
    }
    std::wstring shortened(32768, L'\0');
    DWORD length = ::GetShortPathNameW(native.c_str(), shortened.data(), static_cast<DWORD>(shortened.size()));
    if (length == 0 || length >= shortened.size()) return {};
    return std::u16string(shortened.begin(), shortened.begin() + length);
}

}  // namespace tvr::test
