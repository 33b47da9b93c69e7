// SPDX-License-Identifier: MIT
#pragma once
// Placing a window across the monitors, and its rectangle in the settings file.
#include <windows.h>

#include "core/settings.h"

namespace tvr::ui::win32 {

/// Moves the window to the saved rectangle's corner or centres it on the owner (or the primary
/// monitor's work area when the owner is null).
void placeWindow(HWND window, HWND owner, const core::WindowRect& saved);
/// The window's rectangle, or nothing new when it is minimised or maximised.
bool currentRect(HWND window, core::WindowRect* rect);
/// Moves and sizes a window beside the main window on the main window's monitor, not over it.
void placeBeside(HWND window, HWND main);

}  // namespace tvr::ui::win32
