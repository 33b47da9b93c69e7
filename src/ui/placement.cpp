// SPDX-License-Identifier: MIT
#include "ui/placement.h"

namespace tvr::ui {
namespace {

bool contains(const core::WindowRect& area, std::int32_t x, std::int32_t y) {
    return area.left <= x && x < area.right && area.top <= y && y < area.bottom;
}

// True when the saved title bar's left end, right end or middle lies on the work area.
bool captionReachable(const core::WindowRect& area, const core::WindowRect& saved, std::int32_t captionHeight) {
    std::int32_t y = saved.top + captionHeight / 2;
    std::int32_t middle = static_cast<std::int32_t>((std::int64_t{saved.left} + saved.right) / 2);
    return contains(area, saved.left, y) || contains(area, saved.right, y) || contains(area, middle, y);
}

}  // namespace

Point centreOn(const core::WindowRect& area, std::int32_t width, std::int32_t height) {
    std::int64_t areaWidth = std::int64_t{area.right} - area.left;
    std::int64_t areaHeight = std::int64_t{area.bottom} - area.top;
    return {static_cast<std::int32_t>(area.left + (areaWidth - width) / 2),
            static_cast<std::int32_t>(area.top + (areaHeight - height) / 2)};
}

Point placeWindow(const PlacementInput& input) {
    const core::WindowRect& saved = input.saved;
    if (saved.right != saved.left) {
        for (const core::WindowRect& area : input.workAreas) {
            if (captionReachable(area, saved, input.captionHeight)) return {saved.left, saved.top};
        }
    }
    return centreOn(input.owner ? *input.owner : input.primaryWorkArea, input.width, input.height);
}

}  // namespace tvr::ui
