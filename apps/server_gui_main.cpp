// SPDX-License-Identifier: MIT
// tamvikvr-server-gui: the Linux desktop program with its main window, settings dialog, tray icon
// and hot keys. Reads TamvikVRServer.ini in its data folder (--help says which).
#include "ui/qt/desktop_program.h"

int main(int argc, char** argv) { return tvr::ui::qt::runDesktopProgram(argc, argv); }
