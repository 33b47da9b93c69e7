// SPDX-License-Identifier: MIT
#pragma once
// Where a window opens: at its saved position while its title bar can still be reached on some
// monitor, otherwise centred on its owner window or on the primary monitor's work area.
#include <cstdint>
#include <optional>
#include <span>

#include "core/settings.h"

namespace tvr::ui {

struct Point {
    std::int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

/// What the placement looks at, all in screen coordinates.
struct PlacementInput {
    std::span<const core::WindowRect> workAreas;  // every monitor's work area
    core::WindowRect primaryWorkArea;
    core::WindowRect saved;                 // the rectangle kept in the settings file
    std::int32_t width = 0, height = 0;     // the window's current size, which it keeps
    std::int32_t captionHeight = 0;         // the system's title bar height
    std::optional<core::WindowRect> owner;  // the owner window, when there is one
};

/// The top-left corner the window moves to.
Point placeWindow(const PlacementInput& input);

/// Where a window of the given size opens beside the main window, inside the main window's work
/// area: right of it, else left, else below, else above, on the first side where it fits whole;
/// where none does, on the side that keeps most of it, made smaller down to the minimum size, and
/// only then over the main window.
core::WindowRect besideWindow(const core::WindowRect& main, std::int32_t width, std::int32_t height,
                              const core::WindowRect& area, std::int32_t minWidth, std::int32_t minHeight);

/// The top-left corner that centres a window of the given size on the area.
Point centreOn(const core::WindowRect& area, std::int32_t width, std::int32_t height);

}  // namespace tvr::ui
