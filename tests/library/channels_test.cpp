// SPDX-License-Identifier: MIT
#include "library/channels.h"

#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/system_paths.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

// Channels resolve bare names against the executable folder; the tests put it in a temp folder.
class ChannelsTest : public ::testing::Test {
protected:
    void SetUp() override { dataFolder_.set(exe_.path16()); }

    void setChannel(int ch, std::int32_t type, std::u16string path) {
        config_.channels[static_cast<std::size_t>(ch)] = core::ChannelConfig{type, std::move(path)};
    }

    test::TempFolder exe_;
    test::TempFolder data_;
    core::Config config_;
    test::DataFolderScope dataFolder_;
};

TEST_F(ChannelsTest, FolderGivenAsItIsResolvesWithoutRecursionForPcFolder) {
    setChannel(1, core::kChannelPcFolder, data_.path16());
    ChannelRoot root;
    ASSERT_EQ(resolveChannelRoot(config_, 1, &root), 1);
    EXPECT_EQ(root.type, core::kChannelPcFolder);
    EXPECT_EQ(root.root, data_.path16());
    EXPECT_TRUE(root.isFolder);
    EXPECT_FALSE(root.recurse);
    EXPECT_EQ(resolveChannelRoot(config_, 1, nullptr), 1);
}

TEST_F(ChannelsTest, BareListNameResolvesBesideTheExecutableForListTypes) {
    exe_.write("ch3.vrl", "#end\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    ChannelRoot root;
    ASSERT_EQ(resolveChannelRoot(config_, 2, &root), 1);
    EXPECT_EQ(root.root, exe_.file16("ch3.vrl"));
    EXPECT_FALSE(root.isFolder);
    EXPECT_TRUE(root.recurse);
    EXPECT_EQ(root.type, core::kChannelPlaylist);

    // A PC folder is never looked for beside the executable.
    exe_.makeFolder("videos");
    setChannel(3, core::kChannelPcFolder, u"videos");
    EXPECT_EQ(resolveChannelRoot(config_, 3, &root), 0);
    setChannel(3, core::kChannelSearchList, u"videos");
    ASSERT_EQ(resolveChannelRoot(config_, 3, &root), 1);
    EXPECT_TRUE(root.isFolder);
}

TEST_F(ChannelsTest, EmptyPathOfDeviceChannelIsTheExecutableFolder) {
    setChannel(0, core::kChannelVrDevice, u"");
    ChannelRoot root;
    ASSERT_EQ(resolveChannelRoot(config_, 0, &root), 1);
    EXPECT_EQ(root.root, exe_.path16() + u"/");  // joined with an empty tail
    EXPECT_TRUE(root.isFolder);
    setChannel(0, core::kChannelPcFolder, u"");
    EXPECT_EQ(resolveChannelRoot(config_, 0, &root), 0);
}

TEST_F(ChannelsTest, MissingPathsAndBadNumbersDoNotResolve) {
    setChannel(4, core::kChannelPlaylist, u"missing.vrl");
    ChannelRoot root;
    EXPECT_EQ(resolveChannelRoot(config_, 4, &root), 0);
    setChannel(4, core::kChannelPcFolder, data_.file16("nowhere"));
    EXPECT_EQ(resolveChannelRoot(config_, 4, &root), 0);
    setChannel(7, core::kChannelPcFolder, data_.path16());
    EXPECT_EQ(resolveChannelRoot(config_, 8, &root), 0);
    EXPECT_EQ(resolveChannelRoot(config_, -1, &root), 0);
}

TEST_F(ChannelsTest, PseudoRoots) {
    ChannelRoot root;
    for (const char16_t* text : {u"(Computer)", u"(DeviceVide)"}) {
        setChannel(5, core::kChannelVrDevice, text);
        EXPECT_EQ(resolveChannelRoot(config_, 5, &root), 0);
    }
    // Only the exact text is a pseudo-root.
    exe_.makeFolder("(computer)");
    setChannel(5, core::kChannelVrDevice, u"(computer)");
    EXPECT_EQ(resolveChannelRoot(config_, 5, &root), 1);

    setChannel(5, core::kChannelPcFolder, u"(PCVideo)");
    const std::u16string videos = platform::userVideosFolder();
    if (videos.empty()) {
        EXPECT_EQ(resolveChannelRoot(config_, 5, &root), 0);
    } else {
        ASSERT_EQ(resolveChannelRoot(config_, 5, &root), 1);
        EXPECT_EQ(root.root, core::replaceAll(videos, u'\\', u'/'));
        EXPECT_TRUE(root.isFolder);
        EXPECT_FALSE(root.recurse);
    }
}

TEST_F(ChannelsTest, SetChannelTypeStoresRealFoldersOnly) {
    setChannel(1, core::kChannelPcFolder, u"kept");
    EXPECT_EQ(setChannelType(config_, 1, core::kChannelVrDevice, u"ignored"), 1);
    EXPECT_EQ(config_.channels[1], (core::ChannelConfig{core::kChannelVrDevice, u"kept"}));

    for (const char16_t* placeholder : {u"(PCFolder)", u"(DeviceVide)", u""}) {
        EXPECT_EQ(setChannelType(config_, 1, core::kChannelPcFolder, placeholder), 1);
        EXPECT_EQ(config_.channels[1], (core::ChannelConfig{core::kChannelPcFolder, u"kept"}));
        config_.channels[1].type = core::kChannelVrDevice;
    }

    EXPECT_EQ(setChannelType(config_, 1, core::kChannelPcFolder, u"D:/Videos/Trip"), 1);
    const std::u16string expected = platform::backslashIsSeparator() ? u"D:\\Videos\\Trip" : u"D:/Videos/Trip";
    EXPECT_EQ(config_.channels[1], (core::ChannelConfig{core::kChannelPcFolder, expected}));
}

TEST_F(ChannelsTest, SetChannelTypeRefusesOtherTypesAndChannels) {
    setChannel(6, core::kChannelSearchList, u"search.vrl");
    const core::Config before = config_;
    EXPECT_EQ(setChannelType(config_, 6, core::kChannelSearchList, u"x"), 0);
    EXPECT_EQ(setChannelType(config_, 6, core::kChannelPlaylist, u"x"), 0);
    EXPECT_EQ(setChannelType(config_, 6, -1, u"x"), 0);
    EXPECT_EQ(setChannelType(config_, 8, core::kChannelPcFolder, u"x"), 0);
    EXPECT_EQ(setChannelType(config_, -1, core::kChannelPcFolder, u"x"), 0);
    // The settings file could not hold these paths: refused rather than lost at the next start.
    for (std::u16string bad : {std::u16string(u"D:/a\r\nb"), std::u16string(u"D:/a\nb"), std::u16string(u"D:/\xDC00"),
                               std::u16string(u"D:/a\0b", 6)}) {
        EXPECT_EQ(setChannelType(config_, 6, core::kChannelPcFolder, bad), 0);
        EXPECT_EQ(setChannelType(config_, 6, core::kChannelVrDevice, bad), 0);
    }
    EXPECT_EQ(config_, before);
}

}  // namespace
}  // namespace tvr::library
