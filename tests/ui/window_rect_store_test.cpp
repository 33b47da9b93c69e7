// SPDX-License-Identifier: MIT
// The windows' rectangles in the settings file.
#include "ui/window_rect_store.h"

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "support/temp_folder.h"

namespace tvr::test {
namespace {

TEST(WindowRectStoreTest, MissingRectangleIsWrittenAsZeroesAndASavedOneIsReadBack) {
    TempFolder folder;
    std::u16string file = folder.file16("TamvikVRServer.ini");
    EXPECT_EQ(ui::loadWindowRect(file, ui::kMainWindowSection), core::WindowRect{});
    EXPECT_EQ(platform::iniReadString(file, u"cdlgMain", u"mrcWnd.rcBottom", u"?"), u"0") << "zeroes are written";

    ASSERT_TRUE(ui::saveWindowRect(file, ui::kSettingsDialogSection, {-1200, 40, -576, 1006}));
    EXPECT_EQ(ui::loadWindowRect(file, ui::kSettingsDialogSection), (core::WindowRect{-1200, 40, -576, 1006}));
    EXPECT_EQ(ui::loadWindowRect(file, ui::kMainWindowSection), core::WindowRect{}) << "each window has its section";
}

}  // namespace
}  // namespace tvr::test
