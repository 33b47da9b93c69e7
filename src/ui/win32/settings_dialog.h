// SPDX-License-Identifier: MIT
#pragma once
// The modal settings dialog: every setting but the channels, saved on OK.
#include <windows.h>

#include <string>

#include "core/settings.h"

namespace tvr::ui::win32 {

/// Runs the dialog over the owner; true when the user pressed OK and the settings were saved.
bool runSettingsDialog(HINSTANCE instance, HWND owner, core::SettingsStore& settings, std::u16string executableFolder);

}  // namespace tvr::ui::win32
