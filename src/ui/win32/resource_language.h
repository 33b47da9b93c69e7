// SPDX-License-Identifier: MIT
#pragma once
// The language the Win32 windows load their dialogs and menu in: the resource script holds each
// in Japanese and in English.
#include <windows.h>

#include "ui/language.h"

namespace tvr::ui::win32 {

/// Speaks the language from now on: the window texts' table, the thread's UI language and the
/// resources the windows load.
void useLanguage(Language language);
/// The dialog template of a resource id in the chosen language (the Japanese one when missing).
const DLGTEMPLATE* dialogTemplate(HINSTANCE instance, int id);
/// The menu of a resource id in the chosen language; the caller destroys it.
HMENU loadMenu(HINSTANCE instance, int id);

}  // namespace tvr::ui::win32
