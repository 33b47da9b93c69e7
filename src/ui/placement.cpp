// SPDX-License-Identifier: MIT
#include "ui/placement.h"

#include <algorithm>

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

std::int32_t clampInto(std::int64_t start, std::int64_t size, std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(low, std::min<std::int64_t>(start, high - size)));
}

}  // namespace

core::WindowRect besideWindow(const core::WindowRect& main, std::int32_t width, std::int32_t height,
                              const core::WindowRect& area, std::int32_t minWidth, std::int32_t minHeight) {
    // The room on each side, in the order tried: right, left, below, above.
    const std::int64_t room[] = {std::int64_t{area.right} - main.right, std::int64_t{main.left} - area.left,
                                 std::int64_t{area.bottom} - main.bottom, std::int64_t{main.top} - area.top};
    int best = -1;
    std::int64_t bestKept = 0;
    for (int side = 0; side < 4; ++side) {
        const bool beside = side < 2;
        const std::int64_t wanted = beside ? width : height;
        const std::int64_t minimum = beside ? minWidth : minHeight;
        if (room[side] >= wanted) {
            best = side;
            break;
        }
        const std::int64_t kept = room[side] * (beside ? height : width);
        if (room[side] >= minimum && kept > bestKept) {
            best = side;
            bestKept = kept;
        }
    }
    std::int64_t w = width, h = height, x = main.left, y = main.top;
    switch (best) {
        case 0:
            w = std::min<std::int64_t>(width, room[0]);
            x = main.right;
            break;
        case 1:
            w = std::min<std::int64_t>(width, room[1]);
            x = std::int64_t{main.left} - w;
            break;
        case 2:
            h = std::min<std::int64_t>(height, room[2]);
            y = main.bottom;
            break;
        case 3:
            h = std::min<std::int64_t>(height, room[3]);
            y = std::int64_t{main.top} - h;
            break;
        default:  // no side has room: to the right, kept on the area, over the main window
            x = main.right;
            break;
    }
    const std::int32_t left = clampInto(x, w, area.left, area.right);
    const std::int32_t top = clampInto(y, h, area.top, area.bottom);
    return {left, top, static_cast<std::int32_t>(left + w), static_cast<std::int32_t>(top + h)};
}

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
