// SPDX-License-Identifier: MIT
#include "stores/word_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/time.h"
#include "support/temp_folder.h"

namespace tvr::stores {
namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

Pairs pairsOf(const WordList& list) {
    Pairs out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.at(i).id, list.at(i).word);
    return out;
}

class WordListTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = core::executableFolder();
        core::setExecutableFolder(tmp.path16());
        list.setPath(u"WordList.txt");
    }
    void TearDown() override { core::setExecutableFolder(previous_); }

    // Replaces the file's bytes but gives it back the write time it had.
    void rewriteKeepingTime(const std::string& bytes) {
        platform::FileTimes times;
        ASSERT_TRUE(platform::getFileTimes(tmp.file16("WordList.txt"), &times));
        tmp.write("WordList.txt", bytes);
        ASSERT_TRUE(platform::setFileTimes(tmp.file16("WordList.txt"), times));
    }
    // Gives the file a write time that no earlier load or save saw.
    void touch(long long unixSeconds) { test::setModificationTime(tmp.file("WordList.txt"), unixSeconds); }

    test::TempFolder tmp;
    WordList list;

private:
    std::u16string previous_;
};

TEST_F(WordListTest, SaveWritesTenWordsALineWithIdsAscending) {
    EXPECT_TRUE(list.loadWordList());  // no file yet: nothing to do
    ASSERT_TRUE(list.addWord(u"b", u"x"));
    for (int i = 0; i < 11; ++i) ASSERT_TRUE(list.addWord(u"a", std::u16string(1, static_cast<char16_t>(u'0' + i))));
    ASSERT_TRUE(list.addWord(u"b", u"two words"));
    EXPECT_EQ(list.itemTexts(0, 1), (std::vector<std::u16string>{u"<id>\"b\",<word>\"x\""}));

    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"),
              "\xEF\xBB\xBF#start\r\n"
              "#dat\t\"a\" \"0\" \"1\" \"2\" \"3\" \"4\" \"5\" \"6\" \"7\" \"8\" \"9\"\r\n"
              "#dat\t\"a\" \":\"\r\n"
              "#dat\t\"b\" \"x\" \"two words\"\r\n"
              "#end\r\n");
    EXPECT_FALSE(list.isModified());
    EXPECT_FALSE(list.isWordListUpdated());
    EXPECT_EQ(list.itemTexts(0, 1), (std::vector<std::u16string>{u"<id>\"a\",<word>\"0\""}));

    WordList again;
    again.setPath(u"WordList.txt");
    ASSERT_TRUE(again.loadWordList());
    EXPECT_EQ(pairsOf(again), pairsOf(list));
}

TEST_F(WordListTest, ReadingIsLenientAndKeepsLongLinesAndLongNamesWhole) {
    const std::string longId(40, 'i');
    std::string longLine = "#dat\t" + longId;
    for (int i = 0; i < 60; ++i) longLine += " word" + std::to_string(i);  // far beyond 258 characters
    tmp.write("WordList.txt",
              "#dat\t\"early\" \"no\"\n"  // before #start
              "#start\n"
              "plain text line\n"
              "#dat\n"  // no id
              "#dat\t\"a\" x \"y z\"\r\n"
              "#dat a x\n"  // duplicate dropped
              "#comment\n" +
                  longLine +
                  "\n"
                  "#end\n"
                  "#dat\t\"late\" \"no\"\n");
    ASSERT_TRUE(list.loadWordList());
    ASSERT_EQ(list.size(), 62u);
    EXPECT_EQ(list.at(0).id, u"a");
    EXPECT_EQ(list.at(0).word, u"x");
    EXPECT_EQ(list.at(1).word, u"y z");
    EXPECT_EQ(list.at(2).id, std::u16string(40, u'i'));
    EXPECT_EQ(list.at(61).word, u"word59");
    EXPECT_FALSE(list.isModified());
}

TEST_F(WordListTest, LoadOfAnUnchangedFileReadsNothingAndAChangedOneIsReadAgain) {
    tmp.write("WordList.txt", "#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n");
    touch(1600000000);
    ASSERT_TRUE(list.loadWordList());
    ASSERT_EQ(list.size(), 1u);

    rewriteKeepingTime("#start\r\n#dat\t\"b\" \"y\" \"z\"\r\n#end\r\n");
    EXPECT_FALSE(list.isWordListUpdated());
    ASSERT_TRUE(list.loadWordList());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"a", u"x"}}));

    touch(1600000100);
    EXPECT_TRUE(list.isWordListUpdated());
    ASSERT_TRUE(list.loadWordList());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"b", u"y"}, {u"b", u"z"}}));
}

TEST_F(WordListTest, SaveMergesAFileChangedByAnotherWriter) {
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    ASSERT_TRUE(list.addWord(u"b", u"gone"));
    ASSERT_TRUE(list.saveWordList());
    tmp.write("WordList.txt", "#start\r\n#dat\t\"a\" \"x\"\r\n#dat\t\"b\" \"gone\"\r\n#dat\t\"c\" \"z\"\r\n#end\r\n");
    touch(1600000000);

    ASSERT_TRUE(list.addWord(u"a", u"w"));
    list.deleteWord(u"b", u"gone");  // still in the file: it comes back
    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"),
              "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"x\" \"w\"\r\n#dat\t\"b\" \"gone\"\r\n#dat\t\"c\" \"z\"\r\n#end\r\n");
    EXPECT_FALSE(list.isModified());
}

TEST_F(WordListTest, AddRefusesDuplicatesAndTextTheFileCannotCarry) {
    struct Case {
        std::u16string id;
        std::u16string word;
        bool added;
    } cases[] = {
        {u"a", u"x", true},
        {u"a", u"x", false},
        {u"a", u"X", true},
        {u"b", u"x", true},
        {u"a\"b", u"x", false},
        {u"a", u"say \"hi\"", false},
        {u"a", u"two\r\nlines", false},
        {std::u16string(32, u'i'), std::u16string(40, u'w'), true},
    };
    for (const Case& c : cases) EXPECT_EQ(list.addWord(c.id, c.word), c.added);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(list.itemTexts(1, 32).size(), 3u);
    EXPECT_TRUE(list.itemTexts(-1, 5).empty());
    EXPECT_TRUE(list.itemTexts(0, 0).empty());
    EXPECT_TRUE(list.itemTexts(9, 5).empty());
}

TEST_F(WordListTest, DeleteOfAnAbsentPairStillMakesTheNextSaveWrite) {
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    ASSERT_TRUE(list.saveWordList());
    rewriteKeepingTime("#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n");  // no byte-order mark: unseen

    list.deleteWord(u"a", u"absent");
    EXPECT_TRUE(list.isModified());
    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"), "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n");

    list.deleteWord(u"a", u"x");
    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"), "\xEF\xBB\xBF#start\r\n#end\r\n");
}

TEST_F(WordListTest, ASaveThatCannotWriteKeepsTheChangesForTheNextSave) {
    list.setPath(tmp.file16("later/WordList.txt"));
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    EXPECT_FALSE(list.saveWordList());
    EXPECT_TRUE(list.isModified());
    EXPECT_FALSE(list.saveWordList());
    EXPECT_TRUE(list.isModified());

    tmp.makeFolder("later");
    ASSERT_TRUE(list.saveWordList());
    EXPECT_FALSE(list.isModified());
    EXPECT_EQ(tmp.read("later/WordList.txt"), "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n");
    // Written through a temporary file that is gone afterwards.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(tmp.file("later")), std::filesystem::directory_iterator()),
        1);
}

TEST_F(WordListTest, AFileThatCannotBeReadLeavesTheListAndItsChanges) {
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    tmp.makeFolder("WordList.txt");  // exists, but is no file
    EXPECT_TRUE(list.isWordListUpdated());
    EXPECT_FALSE(list.loadWordList());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"a", u"x"}}));
    EXPECT_TRUE(list.isModified());
    EXPECT_FALSE(list.saveWordList());
    EXPECT_TRUE(list.isModified());
}

}  // namespace
}  // namespace tvr::stores
