// SPDX-License-Identifier: MIT
#include "ui/window_rect_store.h"

namespace tvr::ui {

core::WindowRect loadWindowRect(std::u16string_view settingsFile, std::u16string_view section) {
    core::WindowRect rect;
    if (!core::readWindowRect(settingsFile, section, &rect)) {
        rect = {};
        core::writeWindowRect(settingsFile, section, rect);
    }
    return rect;
}

bool saveWindowRect(std::u16string_view settingsFile, std::u16string_view section, const core::WindowRect& rect) {
    return core::writeWindowRect(settingsFile, section, rect);
}

}  // namespace tvr::ui
