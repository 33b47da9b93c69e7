// SPDX-License-Identifier: MIT
#include "ui/win32/window_placement.h"

#include <vector>

#include "ui/placement.h"

namespace tvr::ui::win32 {
namespace {

core::WindowRect fromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<core::WindowRect>*>(areas)->push_back(fromRect(info.rcWork));
    return TRUE;
}

}  // namespace

void placeWindow(HWND window, HWND owner, const core::WindowRect& saved) {
    std::vector<core::WindowRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    RECT own{};
    GetWindowRect(window, &own);
    PlacementInput input{areas,
                         fromRect(primary.rcWork),
                         saved,
                         own.right - own.left,
                         own.bottom - own.top,
                         GetSystemMetrics(SM_CYCAPTION),
                         std::nullopt};
    RECT ownerRect{};
    if (owner != nullptr && GetWindowRect(owner, &ownerRect)) input.owner = fromRect(ownerRect);
    Point corner = ui::placeWindow(input);
    SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool currentRect(HWND window, core::WindowRect* rect) {
    RECT bounds{};
    if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &bounds)) return false;
    *rect = fromRect(bounds);
    return true;
}

void placeBeside(HWND window, HWND main) {
    // The smallest event window that still shows a line's time and the start of its text.
    constexpr std::int32_t kMinWidth = 320;
    constexpr std::int32_t kMinHeight = 200;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT own{}, mainRect{};
    if (!GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor) || !GetWindowRect(window, &own) ||
        !GetWindowRect(main, &mainRect))
        return;
    core::WindowRect placed = besideWindow(fromRect(mainRect), own.right - own.left, own.bottom - own.top,
                                           fromRect(monitor.rcWork), kMinWidth, kMinHeight);
    MoveWindow(window, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, TRUE);
}

}  // namespace tvr::ui::win32
