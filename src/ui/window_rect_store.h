// SPDX-License-Identifier: MIT
#pragma once
// The windows' rectangles in the settings file, one section per window.
#include <string_view>

#include "core/settings.h"

namespace tvr::ui {

inline constexpr std::u16string_view kMainWindowSection = u"cdlgMain";
inline constexpr std::u16string_view kSettingsDialogSection = u"cdlgConfig";

/// The rectangle kept in the section; when a key is missing, zeroes are written and returned.
core::WindowRect loadWindowRect(std::u16string_view settingsFile, std::u16string_view section);
/// Keeps the rectangle in the section; false when a key could not be written.
bool saveWindowRect(std::u16string_view settingsFile, std::u16string_view section, const core::WindowRect& rect);

}  // namespace tvr::ui
