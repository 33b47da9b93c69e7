// SPDX-License-Identifier: MIT
// The chooser and Notepad path rules, on real folders.
#include "ui/chooser_paths.h"

#include <gtest/gtest.h>

#include "support/stored_path.h"
#include "support/temp_folder.h"

namespace tvr::test {
namespace {

class ChooserPathsTest : public ::testing::Test {
protected:
    TempFolder folder;
    TempFolder other;
    std::u16string exe = storedPath(folder.path16());
};

TEST_F(ChooserPathsTest, ListFileChooserOpensInTheListsFolderOrElseBesideTheProgram) {
    other.makeFolder("lists");
    std::u16string lists = storedPath(other.file16("lists"));
    ui::ListFileStart start = ui::listFileStart(other.file16("lists/ch3.vrl"), exe);
    EXPECT_EQ(start.folder, lists);
    EXPECT_EQ(start.fileName, u"ch3.vrl");

    start = ui::listFileStart(other.file16("gone/ch4.vrl"), exe);
    EXPECT_EQ(start.folder, exe) << "a folder that does not exist opens the program's folder";
    EXPECT_EQ(start.fileName, u"ch4.vrl");

    start = ui::listFileStart(u"search.vrl", exe);
    EXPECT_EQ(start.folder, exe);
    EXPECT_EQ(start.fileName, u"search.vrl");
}

TEST_F(ChooserPathsTest, PickedListFileBesideTheProgramIsKeptAsItsBareName) {
    EXPECT_EQ(ui::storedListPath(exe + storedPath(u"/fav.vrl"), exe), u"fav.vrl");
    std::u16string inSubfolder = exe + storedPath(u"/sub/fav.vrl");
    EXPECT_EQ(ui::storedListPath(inSubfolder, exe), inSubfolder);
    std::u16string elsewhere = storedPath(other.file16("fav.vrl"));
    EXPECT_EQ(ui::storedListPath(elsewhere, exe), elsewhere);
}

TEST_F(ChooserPathsTest, FolderChooserAndNotepadStartBesideTheProgramWithoutAFolder) {
    EXPECT_EQ(ui::folderChooserStart(u"", exe), exe);
    EXPECT_EQ(ui::folderChooserStart(other.file16("videos"), exe), storedPath(other.file16("videos")));
    EXPECT_EQ(ui::notepadTarget(u"WordList.txt", exe), exe + storedPath(u"/WordList.txt"));
    EXPECT_EQ(ui::notepadTarget(other.file16("a/list.vrl"), exe), storedPath(other.file16("a/list.vrl")));
}

}  // namespace
}  // namespace tvr::test
