// SPDX-License-Identifier: MIT
#include "stores/word_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/fs.h"
#include "support/data_folder_scope.h"
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
        dataFolder_.set(tmp.path16());
        list.setPath(u"WordList.txt");
    }

    // Another writer: new bytes, and a write time either new or the one the file had.
    void writeFile(const std::string& bytes, bool keepTime) {
        platform::FileTimes times;
        const bool had = platform::getFileTimes(tmp.file16("WordList.txt"), &times);
        tmp.write("WordList.txt", bytes);
        if (!keepTime) {
            test::setModificationTime(tmp.file("WordList.txt"), 1600000000);
        } else if (had) {
            ASSERT_TRUE(platform::setFileTimes(tmp.file16("WordList.txt"), times));
        }
    }

    test::TempFolder tmp;
    WordList list;

private:
    test::DataFolderScope dataFolder_;
};

TEST_F(WordListTest, SaveWritesTenWordsALineWithIdsAscendingAndReadsBack) {
    ASSERT_TRUE(list.addWord(u"b", u"x"));
    for (char16_t c = u'0'; c <= u':'; ++c) ASSERT_TRUE(list.addWord(u"a", std::u16string(1, c)));
    ASSERT_TRUE(list.addWord(u"b", u"two words"));
    EXPECT_EQ(list.at(0).id + list.at(0).word, u"bx") << "in the order added";

    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"),
              "\xEF\xBB\xBF#start\r\n"
              "#dat\t\"a\" \"0\" \"1\" \"2\" \"3\" \"4\" \"5\" \"6\" \"7\" \"8\" \"9\"\r\n"
              "#dat\t\"a\" \":\"\r\n"
              "#dat\t\"b\" \"x\" \"two words\"\r\n"
              "#end\r\n");
    EXPECT_FALSE(list.isModified());
    EXPECT_FALSE(list.isWordListUpdated());
    EXPECT_EQ(list.at(0).id + list.at(0).word, u"a0") << "the save sorts the list";
    WordList again;
    again.setPath(u"WordList.txt");
    ASSERT_TRUE(again.loadWordList());
    EXPECT_EQ(pairsOf(again), pairsOf(list));
}

TEST_F(WordListTest, ReadingIsLenientAndKeepsLongLinesWhole) {
    std::string longLine = "#dat\t" + std::string(40, 'i');
    for (int i = 0; i < 60; ++i) longLine += " word" + std::to_string(i);  // far beyond 258 characters
    writeFile("#dat\t\"early\" \"no\"\n#start\nplain line\n#dat\n#dat\t\"a\" x \"y z\"\r\n#dat a x\n#note\n" +
                  longLine + "\n#end\n#dat\t\"late\" \"no\"\n",
              false);
    ASSERT_TRUE(list.loadWordList());
    ASSERT_EQ(list.size(), 62u);
    EXPECT_EQ(pairsOf(list)[1], (std::pair<std::u16string, std::u16string>{u"a", u"y z"}));
    EXPECT_EQ(list.at(61).id, std::u16string(40, u'i'));
    EXPECT_EQ(list.at(61).word, u"word59");
}

TEST_F(WordListTest, OnlyAChangedWriteTimeMakesLoadReadTheFile) {
    writeFile("#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n", false);
    ASSERT_TRUE(list.loadWordList());
    writeFile("#start\r\n#dat\t\"b\" \"y\"\r\n#end\r\n", true);
    ASSERT_TRUE(list.loadWordList());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"a", u"x"}}));
    test::setModificationTime(tmp.file("WordList.txt"), 1600000100);
    ASSERT_TRUE(list.loadWordList());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"b", u"y"}}));
}

TEST_F(WordListTest, SaveMergesAFileChangedByAnotherWriterAndDeleteAlwaysMarksChanged) {
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    ASSERT_TRUE(list.addWord(u"b", u"gone"));
    ASSERT_TRUE(list.saveWordList());
    writeFile("#start\r\n#dat\t\"a\" \"x\"\r\n#dat\t\"b\" \"gone\"\r\n#dat\t\"c\" \"z\"\r\n#end\r\n", false);
    ASSERT_TRUE(list.addWord(u"a", u"w"));
    list.deleteWord(u"b", u"gone");  // still in the file: it comes back
    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(tmp.read("WordList.txt"),
              "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"x\" \"w\"\r\n#dat\t\"b\" \"gone\"\r\n#dat\t\"c\" \"z\"\r\n#end\r\n");

    writeFile("#start\r\n#end\r\n", true);  // unseen: the time is the one of our save
    list.deleteWord(u"a", u"absent");
    EXPECT_TRUE(list.isModified());
    ASSERT_TRUE(list.saveWordList());
    EXPECT_EQ(list.size(), 4u);
    EXPECT_NE(tmp.read("WordList.txt"), "#start\r\n#end\r\n");
}

TEST_F(WordListTest, AddRefusesDuplicatesAndTextTheFileCannotCarry) {
    const std::u16string longText(40, u'w');
    EXPECT_TRUE(list.addWord(u"a", u"x"));
    EXPECT_TRUE(list.addWord(u"a", u"X"));
    EXPECT_TRUE(list.addWord(longText, longText));
    // A lone surrogate would be written as U+FFFD, so a later delete of the word would miss it.
    for (const auto& [id, word] : Pairs{{u"a", u"x"},
                                        {u"a\"b", u"x"},
                                        {u"a", u"say \"hi\""},
                                        {u"a", u"two\nlines"},
                                        {u"a",
                                         u"a\xD800"
                                         u"b"},
                                        {u"\xDC00", u"x"}}) {
        EXPECT_FALSE(list.addWord(id, word));
    }
    EXPECT_EQ(list.size(), 3u);
}

TEST_F(WordListTest, ASaveThatCannotWriteKeepsTheChangesForTheNextSave) {
    ASSERT_TRUE(list.addWord(u"a", u"x"));
    tmp.makeFolder("WordList.txt");  // exists, but can be neither read nor replaced
    EXPECT_FALSE(list.loadWordList());
    EXPECT_FALSE(list.saveWordList());
    EXPECT_TRUE(list.isModified());
    EXPECT_EQ(pairsOf(list), (Pairs{{u"a", u"x"}}));

    list.setPath(u"Other.txt");
    ASSERT_TRUE(list.saveWordList());
    EXPECT_FALSE(list.isModified());
    EXPECT_EQ(tmp.read("Other.txt"), "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"x\"\r\n#end\r\n");
}

}  // namespace
}  // namespace tvr::stores
