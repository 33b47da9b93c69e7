// SPDX-License-Identifier: MIT
// TamvikVRServer.exe: the Windows desktop program with its main window, settings dialog, tray
// icon and hot keys. Reads TamvikVRServer.ini beside the executable.
#include <windows.h>

#include "ui/win32/desktop_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return tvr::ui::win32::runDesktopProgram(instance); }
