// SPDX-License-Identifier: MIT
#pragma once
// Placing a window across the screens, and its rectangle as the settings file keeps it.
#include "core/settings.h"

class QWidget;

namespace tvr::ui::qt {

/// Moves the window to the saved rectangle's corner or centres it on the owner (or the primary
/// screen's work area when the owner is null).
void placeWindow(QWidget& window, const QWidget* owner, const core::WindowRect& saved);
/// Moves and sizes a window beside the main window on the main window's screen, not over it.
void placeBeside(QWidget& window, const QWidget& main);
/// The window's outer rectangle, frame included.
core::WindowRect outerRect(const QWidget& window);
/// The window's outer rectangle; false (rect unchanged) when it is minimised, maximised or hidden.
bool currentRect(const QWidget& window, core::WindowRect* rect);

}  // namespace tvr::ui::qt
