// SPDX-License-Identifier: MIT
// The settings writer: saves and rectangles written on its own thread in the order asked, only
// changed values, the headset's channel changes on disk before their return and kept over older
// front-end values, and nothing lost when it ends.
#include "ui/settings_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/fs.h"
#include "platform/ini_file.h"
#include "support/temp_folder.h"
#include "ui/window_rect_store.h"

namespace tvr::test {
namespace {

class SettingsWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.load()); }
    std::u16string value(std::u16string_view section, std::u16string_view key) const {
        return platform::iniReadString(store.path(), section, key, u"?");
    }

    TempFolder folder;
    core::SettingsStore store{folder.file16("TamvikVRServer.ini")};
};

TEST_F(SettingsWriterTest, WritesTheNewestValuesAndRectanglesAndKeepsHandEdits) {
    ui::SettingsWriter writer(store);
    ASSERT_TRUE(platform::iniWriteString(store.path(), u"Setup", u"iSeek1FF", u"42"));  // a hand edit
    core::Config config = store.config();
    config.useMouse = 1;
    writer.save(config, 0);
    config.extensions = u"mp4 mkv";
    writer.save(config, 0);
    writer.keepRect(std::u16string(ui::kMainWindowSection), {10, 20, 30, 40});
    writer.flush();
    EXPECT_EQ(value(u"Config", u"iUseMouse"), u"1");
    EXPECT_EQ(value(u"File", u"pcExt"), u"mp4 mkv");
    EXPECT_EQ(value(u"Setup", u"iSeek1FF"), u"42") << "a value the program did not change stays as edited";
    EXPECT_EQ(ui::loadWindowRect(store.path(), ui::kMainWindowSection), (core::WindowRect{10, 20, 30, 40}));
}

// The front-end takes the headset's changes on a later tick; its saves meanwhile hold older
// channels, which must not undo a change the headset was told is saved.
TEST_F(SettingsWriterTest, ChannelChangeIsOnDiskAtItsReturnAndOutlivesOlderFrontEndValues) {
    ui::SettingsWriter writer(store);
    core::Config frontEnd = store.config();
    ASSERT_TRUE(writer.saveChannel(1, core::kChannelPcFolder, u"/videos/first"));
    EXPECT_EQ(value(u"ch.1", u"pcPath"), u"/videos/first");
    ASSERT_TRUE(writer.saveChannel(2, core::kChannelPcFolder, u"/videos/second"));

    frontEnd.useMouse = 1;
    writer.save(frontEnd, 0);
    writer.flush();
    EXPECT_EQ(value(u"ch.1", u"pcPath"), u"/videos/first");
    EXPECT_EQ(value(u"ch.2", u"pcPath"), u"/videos/second");
    EXPECT_EQ(value(u"Config", u"iUseMouse"), u"1");

    // The front-end took the first change, then the user set channel 1 again: the user's value wins.
    frontEnd.channels[1] = {core::kChannelPcFolder, u"/videos/by-the-user"};
    writer.save(frontEnd, 1);
    writer.flush();
    EXPECT_EQ(value(u"ch.1", u"pcPath"), u"/videos/by-the-user");
    EXPECT_EQ(value(u"ch.2", u"pcPath"), u"/videos/second") << "the second change is not taken yet";
    EXPECT_FALSE(writer.saveChannel(core::kChannelCount, core::kChannelPcFolder, u"/x"));
}

// An earlier write is held (another writer of the file holds its lock) while the last save is
// queued and the writer is told to end; only then does the held write go on.
TEST_F(SettingsWriterTest, TheLastSaveQueuedBeforeTheEndIsWritten) {
    std::promise<void> release;
    std::promise<void> holding;
    std::thread holder([&] {
        platform::iniEdit(store.path(), [&](platform::IniDocument&) {
            holding.set_value();
            release.get_future().wait();
            return false;
        });
    });
    holding.get_future().wait();
    core::Config config = store.config();
    {
        ui::SettingsWriter writer(store);
        config.portMouse = 12001;
        writer.save(config, 0);
        config.portMouse = 12002;
        writer.keepRect(std::u16string(ui::kMainWindowSection), {1, 2, 3, 4});
        writer.save(config, 0);
        writer.close();
        release.set_value();
    }
    holder.join();
    EXPECT_EQ(value(u"Config", u"iPortMouse"), u"12002");
    EXPECT_EQ(ui::loadWindowRect(store.path(), ui::kMainWindowSection), (core::WindowRect{1, 2, 3, 4}));
}

// OK means saved: a change whose write failed is never reported as written, and the failure
// names the file and why.
TEST_F(SettingsWriterTest, AChannelSaveWhoseFolderWasRemovedFailsAndSaysWhy) {
    folder.makeFolder("data");
    core::SettingsStore inData{folder.file16("data/TamvikVRServer.ini")};
    ASSERT_TRUE(inData.load());
    ui::SettingsWriter writer(inData);
    ASSERT_TRUE(writer.saveChannel(1, core::kChannelPcFolder, u"/videos/first"));
    EXPECT_TRUE(writer.unsaved().empty());
    ASSERT_TRUE(platform::removeFile(inData.path()));
    ASSERT_TRUE(platform::removeFolder(folder.file16("data")));

    EXPECT_FALSE(writer.saveChannel(1, core::kChannelPcFolder, u"/videos/second"));
    const std::u16string expected =
        u"the settings file " + platform::displayPath(inData.path()) + u" cannot be written: its folder is not there";
    EXPECT_EQ(writer.unsaved(), expected);
    EXPECT_EQ(writer.takeFailures(), std::vector<std::u16string>{expected});
    EXPECT_TRUE(writer.takeFailures().empty()) << "each failure is told once";

    // Back again, the next save writes what the failed one could not.
    folder.makeFolder("data");
    writer.save(inData.config(), 0);
    writer.flush();
    EXPECT_TRUE(writer.unsaved().empty());
    EXPECT_EQ(platform::iniReadString(inData.path(), u"ch.1", u"pcPath", u"?"), u"/videos/second");
}

// Another writer of the file holds its lock: the headset's change is not answered as saved, the
// control thread is not held longer than the writer's bound, and the change is written later.
TEST_F(SettingsWriterTest, AChannelSaveHeldByAnotherWritersLockGivesUpAndIsWrittenLater) {
    std::promise<void> release;
    std::promise<void> holding;
    std::atomic<bool> released{false};
    std::thread holder([&] {
        platform::iniEdit(store.path(), [&](platform::IniDocument&) {
            holding.set_value();
            // Let go on its own only long after the bound, so a save that waits for the lock fails here.
            release.get_future().wait_for(std::chrono::seconds(30));
            released = true;
            return false;
        });
    });
    holding.get_future().wait();
    ui::SettingsWriter writer(store);
    EXPECT_FALSE(writer.saveChannel(1, core::kChannelPcFolder, u"/videos/held"));
    EXPECT_FALSE(released) << "the save waited for the lock instead of giving up";
    release.set_value();
    holder.join();
    writer.flush();
    EXPECT_EQ(value(u"ch.1", u"pcPath"), u"/videos/held");
}

}  // namespace
}  // namespace tvr::test
