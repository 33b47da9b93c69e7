// SPDX-License-Identifier: MIT
#pragma once
// The modal settings dialog: every setting but the channels, saved on OK.
#include <windows.h>

#include <string>

#include "ui/controller.h"

namespace tvr::ui::win32 {

/// Runs the dialog over the owner; true when the user pressed OK and the settings are being saved.
bool runSettingsDialog(HINSTANCE instance, HWND owner, Controller& controller, std::u16string executableFolder);

}  // namespace tvr::ui::win32
