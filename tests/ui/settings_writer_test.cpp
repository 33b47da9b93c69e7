// SPDX-License-Identifier: MIT
// The settings writer: saves and rectangles written on its own thread in the order asked, only
// changed values, and nothing lost when it ends.
#include "ui/settings_writer.h"

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "support/temp_folder.h"
#include "ui/window_rect_store.h"

namespace tvr::test {
namespace {

TEST(SettingsWriterTest, WritesTheNewestValuesAndRectanglesAndKeepsHandEdits) {
    TempFolder folder;
    core::SettingsStore store(folder.file16("TamvikVRServer.ini"));
    ASSERT_TRUE(store.load());
    auto value = [&](std::u16string_view section, std::u16string_view key) {
        return platform::iniReadString(store.path(), section, key, u"?");
    };
    {
        ui::SettingsWriter writer(store);
        ASSERT_TRUE(platform::iniWriteString(store.path(), u"Setup", u"iSeek1FF", u"42"));  // a hand edit
        core::Config config = store.config();
        config.useMouse = 1;
        writer.save(config);
        config.extensions = u"mp4 mkv";
        writer.save(config);
        writer.keepRect(std::u16string(ui::kMainWindowSection), {10, 20, 30, 40});
        writer.flush();
        EXPECT_EQ(value(u"Config", u"iUseMouse"), u"1");
        EXPECT_EQ(value(u"File", u"pcExt"), u"mp4 mkv");
        EXPECT_EQ(value(u"Setup", u"iSeek1FF"), u"42") << "a value the program did not change stays as edited";
        EXPECT_EQ(ui::loadWindowRect(store.path(), ui::kMainWindowSection), (core::WindowRect{10, 20, 30, 40}));

        config.portMouse = 12000;
        writer.save(config);
    }
    EXPECT_EQ(value(u"Config", u"iPortMouse"), u"12000") << "what is asked before the end is written";
}

}  // namespace
}  // namespace tvr::test
