// SPDX-License-Identifier: MIT
// The channel rows: combo names and types, which controls each type enables, reading rows back.
#include "ui/channel_rows.h"

#include <gtest/gtest.h>

#include "ui/window_texts.h"

namespace tvr::test {
namespace {

TEST(ChannelRowsTest, EachTypeHasItsComboItemAndEnablesItsControls) {
    struct Case {
        std::int32_t type;
        int comboIndex;
        std::u16string_view japanese, english;
        ui::RowEnabling enabling;  // path edit, "フォル", "編集"
    };
    const Case cases[] = {
        {core::kChannelVrDevice, 0, u"VRデバイス", u"VR device", {false, false, false}},
        {core::kChannelPcFolder, 1, u"PCフォルダ", u"PC folder", {true, true, false}},
        {core::kChannelPlaylist, 2, u"プレイリスト", u"Playlist", {true, true, true}},
        {core::kChannelSearchList, 3, u"検索リスト", u"Search list", {true, true, true}},
        {core::kChannelFavoriteList, 4, u"お気に入りリスト", u"Favorites list", {true, true, true}},
    };
    for (ui::Language language : {ui::Language::English, ui::Language::Japanese}) {
        ui::setTextLanguage(language);
        for (const Case& c : cases) {
            std::u16string_view name = ui::channelTypeName(c.type);
            EXPECT_EQ(name, language == ui::Language::English ? c.english : c.japanese);
            EXPECT_EQ(ui::comboIndexOf(c.type), c.comboIndex);
            EXPECT_EQ(name, ui::channelTypeNames()[static_cast<std::size_t>(c.comboIndex)]);
            EXPECT_EQ(ui::channelTypeFromName(name), c.type);
            EXPECT_EQ(ui::rowEnabling(name), c.enabling) << c.type;
        }
    }
    EXPECT_EQ(ui::channelTypeName(9), u"") << "a type the window does not know selects no item";
    EXPECT_EQ(ui::comboIndexOf(-1), -1);
    EXPECT_EQ(ui::rowEnabling(u""), (ui::RowEnabling{true, false, false}));
}

TEST(ChannelRowsTest, RowsReadBackIntoTheChannelsAndAnUnknownNameKeepsTheType) {
    std::array<core::ChannelConfig, core::kChannelCount> channels = core::defaultConfig().channels;
    channels[5].type = 9;
    ui::ChannelRows rows = ui::rowsFromChannels(channels);
    EXPECT_EQ(rows[0].typeName, u"VRデバイス");
    EXPECT_EQ(rows[2].path, u"ch3.vrl");
    EXPECT_EQ(rows[5].typeName, u"");

    rows[1] = {u"お気に入りリスト", u"fav2.vrl"};
    rows[3] = {u"プレイリスト ", u"other.vrl"};  // a trailing blank matches no name
    rows[4].path.clear();
    ui::readRowsIntoChannels(rows, channels);
    EXPECT_EQ(channels[1], (core::ChannelConfig{core::kChannelFavoriteList, u"fav2.vrl"}));
    EXPECT_EQ(channels[3], (core::ChannelConfig{core::kChannelPlaylist, u"other.vrl"}));
    EXPECT_EQ(channels[4], (core::ChannelConfig{core::kChannelPlaylist, u""}));
    EXPECT_EQ(channels[5].type, 9) << "an empty combo leaves an unknown type as it is";
    EXPECT_EQ(channels[7], core::defaultConfig().channels[7]);
}

}  // namespace
}  // namespace tvr::test
