// SPDX-License-Identifier: MIT
#pragma once
// The Linux desktop program from start to end: its command line, the settings, the main window
// with its hot keys and event loop, and the stop.

namespace tvr::ui::qt {

/// Runs the program; the exit status: 0 after a normal end or an answered --help or --version,
/// 1 when the data folder or the settings file cannot be had, 2 on a usage error.
int runDesktopProgram(int argc, char** argv);

}  // namespace tvr::ui::qt
