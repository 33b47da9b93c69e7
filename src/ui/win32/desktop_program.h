// SPDX-License-Identifier: MIT
#pragma once
// The desktop program from start to end: settings, the main window and its message loop, and
// the saves after it.
#include <windows.h>

namespace tvr::ui::win32 {

/// Runs the program; the exit status: 1 after a normal end, 0 when the settings file or the
/// main window could not be had.
int runDesktopProgram(HINSTANCE instance);

}  // namespace tvr::ui::win32
