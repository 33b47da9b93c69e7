// SPDX-License-Identifier: MIT
#include "core/extension_filter.h"

#include <gtest/gtest.h>

namespace tvr::core {
namespace {

TEST(ExtensionTableTest, AcceptsListedExtensionsInAnyCase) {
    ExtensionTable table;
    table.build(u"mp4 avi flv");
    EXPECT_EQ(table.entries(), (std::vector<std::u16string>{u".mp4", u".avi", u".flv"}));
    EXPECT_TRUE(table.isAccepted(u"A.MP4"));
    EXPECT_TRUE(table.isAccepted(u"C:\\Videos\\b.Avi"));
    EXPECT_TRUE(table.isAccepted(u"/home/u/Videos/c.flv"));
    EXPECT_FALSE(table.isAccepted(u"c.mkv"));
    EXPECT_FALSE(table.isAccepted(u"noextension"));
    EXPECT_FALSE(table.isAccepted(u"e.mp4.txt"));
    EXPECT_FALSE(table.isAccepted(u"folder.mp4/file"));
}

TEST(ExtensionTableTest, TableKeepsTheLowerCasedForm) {
    ExtensionTable table;
    table.build(u"MP4 WebM");
    EXPECT_EQ(table.entries(), (std::vector<std::u16string>{u".mp4", u".webm"}));
    EXPECT_TRUE(table.isAccepted(u"x.WEBM"));
}

TEST(ExtensionTableTest, DoubledSpacesMakeALoneDotEntry) {
    ExtensionTable table;
    table.build(u"mp4  avi");
    EXPECT_EQ(table.entries(), (std::vector<std::u16string>{u".mp4", u".", u".avi"}));
    EXPECT_TRUE(table.isAccepted(u"ends-in-dot."));
    EXPECT_TRUE(table.isAccepted(u"x.avi"));
}

TEST(ExtensionTableTest, LeadingAndTrailingSpacesMakeEmptyTokens) {
    ExtensionTable table;
    table.build(u" mp4 ");
    EXPECT_EQ(table.entries(), (std::vector<std::u16string>{u".", u".mp4", u"."}));
}

TEST(ExtensionTableTest, EmptySettingRejectsOrdinaryFiles) {
    ExtensionTable table;
    table.build(u"");
    EXPECT_EQ(table.entries(), (std::vector<std::u16string>{u"."}));
    EXPECT_FALSE(table.isAccepted(u"a.mp4"));
    EXPECT_FALSE(table.isAccepted(u"a"));
}

TEST(ExtensionTableTest, UnbuiltTableRejectsEverything) {
    ExtensionTable table;
    EXPECT_FALSE(table.isAccepted(u"a.mp4"));
    EXPECT_FALSE(table.isAccepted(u"a."));
}

TEST(ExtensionTableTest, RebuildReplacesTheTableAndLongTokensStayWhole) {
    ExtensionTable table;
    table.build(u"mp4");
    std::u16string longToken(300, u'x');
    table.build(u"avi " + longToken);
    ASSERT_EQ(table.entries().size(), 2u);
    EXPECT_EQ(table.entries()[1], u"." + longToken);
    EXPECT_FALSE(table.isAccepted(u"a.mp4"));
    EXPECT_TRUE(table.isAccepted(u"a." + longToken));
}

}  // namespace
}  // namespace tvr::core
