// SPDX-License-Identifier: MIT
#include "library/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

class ListFileTest : public ::testing::Test {
protected:
    void SetUp() override { dataFolder_.set(tmp.path16()); }

    test::TempFolder tmp;

private:
    test::DataFolderScope dataFolder_;
};

std::vector<std::u16string> paths(const ListFile& list) {
    std::vector<std::u16string> out;
    for (const auto& entry : list.entries()) out.push_back(entry.path);
    return out;
}

TEST_F(ListFileTest, ReadsLinesWholeWithEitherLineEnd) {
    const std::string longLine(2000, 'x');
    tmp.write("p.vrl", kBom + "C:\\Movies\\Trip.mp4\r\n\r\n\nC:\\Movies\n" + longLine + "\r\n#end\nlast line");
    std::vector<std::u16string> lines;
    ASSERT_TRUE(readListLines(u"p.vrl", &lines));  // a bare name is looked for beside the executable
    const std::vector<std::u16string> expected = {u"C:\\Movies\\Trip.mp4", u"C:\\Movies", platform::fromUtf8(longLine),
                                                  u"#end", u"last line"};
    EXPECT_EQ(lines, expected);
}

TEST_F(ListFileTest, ListNameIsTheSecondFieldOfNameLine) {
    std::u16string name;
    tmp.write("a.vrl", kBom + "C:\\x.mp4\n#name \"My Trip Videos\" ignored\n#name Other\n");
    EXPECT_EQ(getListName(&name, u"a.vrl"), 1);
    EXPECT_EQ(name, u"My Trip Videos");

    tmp.write("b.vrl", "#name\n#name Second\n");
    EXPECT_EQ(getListName(&name, tmp.file16("b.vrl")), 1);
    EXPECT_EQ(name, u"Second");
}

TEST_F(ListFileTest, ListNameFallsBackWhenMissing) {
    std::u16string name;
    tmp.write("noname.vrl", "C:\\a.mp4\n#once\n");
    EXPECT_EQ(getListName(&name, u"noname.vrl"), 0);
    EXPECT_EQ(name, u"***");

    EXPECT_EQ(getListName(&name, u"missing.vrl"), 0);
    EXPECT_EQ(name, u"***");

    tmp.write("late.vrl", "C:\\a.mp4\n#end\n#name Late\n");
    EXPECT_EQ(getListName(&name, u"late.vrl"), 0);
    EXPECT_EQ(name, u"***");

    tmp.write("empty.vrl", "#name   \nC:\\a.mp4\n");
    EXPECT_EQ(getListName(&name, u"empty.vrl"), 0);
    EXPECT_EQ(name, u"");
}

TEST_F(ListFileTest, LoadAddsPathLinesUpToEnd) {
    tmp.write("search.vrl",
              kBom + "#name (Search)\r\nC:\\Movies\\Trip.mp4\r\n#once\r\n\r\nD:\\Clips\r\n#end\r\nE:\\never.mp4\r\n");
    ListFile list;
    list.bind(6, kSearchList, u"search.vrl");
    EXPECT_EQ(list.path(), tmp.file16("search.vrl"));
    EXPECT_EQ(list.channel(), 6);
    EXPECT_EQ(list.kind(), kSearchList);
    ASSERT_EQ(list.load(), 1);
    const std::vector<std::u16string> expected = {u"C:/Movies/Trip.mp4", u"D:/Clips"};
    EXPECT_EQ(paths(list), expected);
    EXPECT_EQ(list.entries()[0].name, u"Trip.mp4");

    // load appends to what the list holds.
    ASSERT_EQ(list.load(), 1);
    EXPECT_EQ(list.entries().size(), 4u);
}

TEST_F(ListFileTest, LoadOfAMissingFileFails) {
    ListFile list;
    list.bind(7, kFavoriteList, u"favorite.vrl");
    EXPECT_EQ(list.path(), tmp.file16("favorite.vrl"));
    EXPECT_EQ(list.load(), 0);
    EXPECT_TRUE(list.entries().empty());
}

TEST_F(ListFileTest, SavedSearchListHasBomNameEndAndCrLf) {
    ListFile list;
    list.bind(6, kSearchList, u"search.vrl");
    ASSERT_EQ(list.add(u"C:/Movies/Trip.mp4"), 1);
    ASSERT_EQ(list.addUnique(u"D:/Other/Trip.mp4"), 1);  // the search list keeps duplicates
    ASSERT_EQ(list.add(u"D:/\u65C5/\u5199\u771F.mp4"), 1);
    ASSERT_EQ(list.save(), 1);
    EXPECT_EQ(tmp.read("search.vrl"), kBom +
                                          "#name (Search)\r\nC:/Movies/Trip.mp4\r\nD:/Other/Trip.mp4\r\n"
                                          "D:/\xE6\x97\x85/\xE5\x86\x99\xE7\x9C\x9F.mp4\r\n#end\r\n");
    EXPECT_EQ(list.entries().size(), 3u);
}

TEST_F(ListFileTest, PathsThatAreNoSingleLineAreRefusedAndNothingIsWritten) {
    ListFile list;
    list.bind(7, kFavoriteList, u"favorite.vrl");
    ASSERT_EQ(list.add(u"C:/a/clip.mp4"), 1);
    ASSERT_EQ(list.save(), 1);
    const std::string saved = tmp.read("favorite.vrl");
    for (std::u16string bad : {std::u16string(u"C:/b.mp4\r\n#end\r\nC:/c.mp4"), std::u16string(u"C:/\xD800.mp4"),
                               std::u16string(u"C:/b\0.mp4", 10), std::u16string(u"C:/b\r.mp4")}) {
        EXPECT_EQ(list.add(bad), 0);
        EXPECT_EQ(list.addUnique(bad), 0);
    }
    EXPECT_EQ(paths(list), std::vector<std::u16string>{u"C:/a/clip.mp4"});
    ASSERT_EQ(list.save(), 1);
    EXPECT_EQ(tmp.read("favorite.vrl"), saved);

    // A line from a file edited on the PC that could not be written back makes save refuse.
    const std::string utf16Lines("\xFF\xFE#\0e\0\n\0a\0\0\xD8\n\0", 14);
    tmp.write("edited.vrl", utf16Lines);
    ListFile edited;
    edited.bind(6, kSearchList, u"edited.vrl");
    ASSERT_EQ(edited.load(), 1);
    EXPECT_EQ(paths(edited), (std::vector<std::u16string>{u"a\xD800"}));
    EXPECT_EQ(edited.save(), 0);
    EXPECT_EQ(tmp.read("edited.vrl"), utf16Lines);
}

TEST_F(ListFileTest, FavouritesKeepOneEntryPerFileName) {
    ListFile list;
    list.bind(7, kFavoriteList, u"favorite.vrl");
    EXPECT_EQ(list.addUnique(u"C:/a/clip.mp4"), 1);
    EXPECT_EQ(list.addUnique(u"D:/b/clip.mp4"), 1);
    EXPECT_EQ(list.addUnique(u"D:/b/Clip.mp4"), 1);  // names compare case-sensitively
    EXPECT_EQ(list.addUnique(u"D:/b/clip.mkv"), 1);
    ASSERT_EQ(list.save(), 1);
    EXPECT_EQ(tmp.read("favorite.vrl"),
              kBom + "#name (Favorite)\r\nC:/a/clip.mp4\r\nD:/b/Clip.mp4\r\nD:/b/clip.mkv\r\n#end\r\n");
}

TEST_F(ListFileTest, GrowsPastOneBlockWithoutLosingEntries) {
    ListFile list;
    list.bind(6, kSearchList, u"search.vrl");
    constexpr int kCount = 2500;
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(list.add(u"C:/v/" + platform::fromAscii(std::to_string(i)) + u".mp4"), 1);
    ASSERT_EQ(list.save(), 1);

    ListFile reread;
    reread.bind(6, kSearchList, u"search.vrl");
    ASSERT_EQ(reread.load(), 1);
    ASSERT_EQ(reread.entries().size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(reread.entries()[static_cast<std::size_t>(i)].name, platform::fromAscii(std::to_string(i)) + u".mp4");
    }
}

TEST_F(ListFileTest, NoticesEditsMadeAfterItLastSawTheFile) {
    ListFile list;
    list.bind(6, kSearchList, u"search.vrl");
    EXPECT_EQ(list.hasChangedOnDisk(), 0);  // no file and nothing remembered

    list.add(u"C:/a.mp4");
    ASSERT_EQ(list.save(), 1);
    EXPECT_EQ(list.hasChangedOnDisk(), 0);

    test::setModificationTime(tmp.file("search.vrl"), 1'000'000'000);
    EXPECT_EQ(list.hasChangedOnDisk(), 1);
    list.rememberFileTime();
    EXPECT_EQ(list.hasChangedOnDisk(), 0);

    test::setModificationTime(tmp.file("search.vrl"), 1'100'000'000);
    list.clear();
    ASSERT_EQ(list.load(), 1);
    EXPECT_EQ(list.hasChangedOnDisk(), 0);
    EXPECT_EQ(list.entries().size(), 1u);
}

TEST_F(ListFileTest, SaveThatCannotWriteKeepsTheList) {
    ListFile list;
    list.bind(6, kSearchList, tmp.file16("no/such/folder/search.vrl"));
    list.add(u"C:/a.mp4");
    EXPECT_EQ(list.save(), 0);
    EXPECT_EQ(list.entries().size(), 1u);
}

TEST_F(ListFileTest, BindEmptiesTheListAndPrefersAnExistingSetting) {
    tmp.write("lists/fav.vrl", "#name F\n");
    ListFile list;
    list.add(u"C:/a.mp4");
    list.bind(2, kFavoriteList, tmp.file16("lists/fav.vrl"));
    EXPECT_TRUE(list.entries().empty());
    EXPECT_EQ(list.path(), tmp.file16("lists/fav.vrl"));
    EXPECT_EQ(list.channel(), 2);
}

}  // namespace
}  // namespace tvr::library
