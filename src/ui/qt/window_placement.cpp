// SPDX-License-Identifier: MIT
#include "ui/qt/window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <vector>

#include "ui/placement.h"

namespace tvr::ui::qt {
namespace {

// The right and bottom edges lie just outside the rectangle, as the settings file counts them.
core::WindowRect fromRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace

void placeWindow(QWidget& window, const QWidget* owner, const core::WindowRect& saved) {
    std::vector<core::WindowRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(fromRect(screen->availableGeometry()));
    const QScreen* primary = QGuiApplication::primaryScreen();
    PlacementInput input;
    input.workAreas = areas;
    input.primaryWorkArea = primary != nullptr ? fromRect(primary->availableGeometry()) : core::WindowRect{};
    input.saved = saved;
    QSize size = window.frameGeometry().size();
    input.width = size.width();
    input.height = size.height();
    input.captionHeight = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (owner != nullptr) input.owner = fromRect(owner->frameGeometry());
    Point corner = ui::placeWindow(input);
    window.move(corner.x, corner.y);
}

void placeBeside(QWidget& window, const QWidget& main) {
    // The smallest event window that still shows a line's time and the start of its text.
    constexpr int kMinWidth = 320;
    constexpr int kMinHeight = 200;
    const QScreen* screen = main.screen();
    if (screen == nullptr) return;
    const QRect frame = window.frameGeometry();
    const QSize margins = frame.size() - window.geometry().size();
    const core::WindowRect placed = besideWindow(outerRect(main), frame.width(), frame.height(),
                                                 fromRect(screen->availableGeometry()), kMinWidth, kMinHeight);
    window.resize(placed.right - placed.left - margins.width(), placed.bottom - placed.top - margins.height());
    window.move(placed.left, placed.top);
}

core::WindowRect outerRect(const QWidget& window) { return fromRect(window.frameGeometry()); }

bool currentRect(const QWidget& window, core::WindowRect* rect) {
    if (window.isMinimized() || window.isMaximized() || !window.isVisible()) return false;
    *rect = outerRect(window);
    return true;
}

}  // namespace tvr::ui::qt
