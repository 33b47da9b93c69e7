// SPDX-License-Identifier: MIT
#include "ui/win32/resource_language.h"

#include "ui/window_texts.h"

namespace tvr::ui::win32 {
namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
WORD chosen = kJapanese;

// The resource in the chosen language, else in Japanese. Asked for by language, since not every
// Windows (nor Wine) picks a resource by the thread's UI language.
const void* resource(HINSTANCE instance, LPCWSTR type, int id) {
    HRSRC found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), chosen);
    if (found == nullptr) found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), kJapanese);
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(instance, found);
    return loaded == nullptr ? nullptr : LockResource(loaded);
}

}  // namespace

void useLanguage(Language language) {
    setTextLanguage(language);
    chosen = language == Language::English ? kEnglish : kJapanese;
    SetThreadUILanguage(chosen);
}

const DLGTEMPLATE* dialogTemplate(HINSTANCE instance, int id) {
    return static_cast<const DLGTEMPLATE*>(resource(instance, RT_DIALOG, id));
}

HMENU loadMenu(HINSTANCE instance, int id) {
    const void* menu = resource(instance, RT_MENU, id);
    return menu == nullptr ? nullptr : LoadMenuIndirectW(menu);
}

}  // namespace tvr::ui::win32
