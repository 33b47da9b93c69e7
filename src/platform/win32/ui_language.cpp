// SPDX-License-Identifier: MIT
#include "platform/ui_language.h"

#include <windows.h>

#include "platform/utf.h"

namespace tvr::platform {

std::string userInterfaceLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    int length = LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0);
    if (length <= 1) return {};
    return toUtf8(std::u16string(name, name + length - 1));
}

}  // namespace tvr::platform
