// SPDX-License-Identifier: MIT
// Where a window opens across monitors: the saved position while its title bar can be reached,
// otherwise centred on the owner or the primary work area.
#include "ui/placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace tvr::test {
namespace {

using core::WindowRect;

// Two monitors side by side; the primary's work area leaves room for a task bar.
const std::vector<WindowRect> kAreas = {{0, 0, 1920, 1040}, {1920, -200, 3200, 824}};
const WindowRect kPrimary = kAreas[0];
constexpr std::int32_t kCaption = 30;  // the title bar's middle is saved top + 15

struct Case {
    const char* name;
    WindowRect saved;
    ui::Point expected;
};

TEST(PlacementTest, SavedPositionIsKeptWhileItsTitleBarIsOnAMonitor) {
    const ui::Point centred = {(1920 - 600) / 2, (1040 - 400) / 2};
    const Case cases[] = {
        {"on the primary", {100, 50, 700, 450}, {100, 50}},
        {"on the second, above the primary's top", {2000, -150, 2600, 250}, {2000, -150}},
        {"only the left end on a monitor", {3000, 100, 3600, 500}, {3000, 100}},
        {"only the right end on a monitor", {-500, 100, 100, 500}, {-500, 100}},
        {"only the middle on a monitor, both ends off", {-1000, 100, 4000, 500}, {-1000, 100}},
        {"title bar's middle just inside the top", {100, -15, 700, 385}, {100, -15}},
        {"title bar's middle just above every monitor", {100, -16, 700, 384}, centred},
        {"beyond the right edge (right edge is outside)", {3200, 100, 3800, 500}, centred},
        {"monitor removed: far off", {5000, 100, 5600, 500}, centred},
        {"below the work area (task bar)", {100, 1030, 700, 1430}, centred},
        {"nothing saved", {0, 0, 0, 0}, centred},
        {"empty width counts as nothing saved", {100, 50, 100, 450}, centred},
    };
    for (const Case& c : cases) {
        ui::PlacementInput input{kAreas, kPrimary, c.saved, 600, 400, kCaption, std::nullopt};
        EXPECT_EQ(ui::placeWindow(input), c.expected) << c.name;
    }
}

TEST(PlacementTest, WithoutAUsablePositionADialogIsCentredOnItsOwner) {
    WindowRect owner{1000, 200, 1714, 760};
    ui::PlacementInput input{kAreas, kPrimary, {}, 624, 966, kCaption, owner};
    EXPECT_EQ(ui::placeWindow(input), (ui::Point{1000 + (714 - 624) / 2, 200 + (560 - 966) / 2}));
    input.saved = {5000, 0, 5600, 400};
    EXPECT_EQ(ui::placeWindow(input), (ui::Point{1045, -3})) << "an unreachable position is centred on the owner too";
    input.saved = {2000, 100, 2600, 500};
    EXPECT_EQ(ui::placeWindow(input), (ui::Point{2000, 100}));
}

// The event window opens beside the main window on the main window's monitor, never over it
// while any side has room for it.
TEST(PlacementTest, EventWindowOpensBesideTheMainWindow) {
    struct Beside {
        const char* name;
        WindowRect main;
        WindowRect expected;
    };
    const WindowRect area = kPrimary;  // 1920 x 1040
    const Beside cases[] = {
        {"right of it", {100, 100, 700, 600}, {700, 100, 1420, 460}},
        {"left when the right has no room", {1300, 100, 1900, 600}, {580, 100, 1300, 460}},
        {"below when neither side has room", {200, 50, 1800, 500}, {200, 500, 920, 860}},
        {"above, kept on the area", {200, 600, 1800, 1000}, {200, 240, 920, 600}},
        {"top kept on the area", {100, 900, 700, 1040}, {700, 680, 1420, 1040}},
        {"narrowed to the widest side", {500, 100, 1500, 1000}, {0, 100, 500, 460}},
        {"over it only when no side has the minimum", {50, 20, 1900, 1030}, {1200, 20, 1920, 380}},
    };
    for (const Beside& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ui::besideWindow(c.main, 720, 360, area, 320, 200), c.expected);
    }
}

}  // namespace
}  // namespace tvr::test
