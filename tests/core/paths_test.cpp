// SPDX-License-Identifier: MIT
#include "core/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/time.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::core {
namespace {

namespace fs = std::filesystem;

TEST(SplitPathTest, SplitsAFileWithExtension) {
    SplitResult parts = splitPath(u"C:\\v\\a.mp4");
    EXPECT_EQ(parts.folder, u"C:\\v");
    EXPECT_EQ(parts.nameWithExt, u"a.mp4");
    EXPECT_EQ(parts.name, u"a");
    EXPECT_EQ(parts.ext, u".mp4");
}

TEST(SplitPathTest, PathWithoutExtensionIsAFolderAsAWhole) {
    EXPECT_EQ(splitPath(u"C:\\v\\sub").folder, u"C:\\v\\sub");
    EXPECT_EQ(splitPath(u"C:\\Videos\\").folder, u"C:\\Videos\\");
    EXPECT_EQ(splitPath(u"/home/u/Videos").folder, u"/home/u/Videos");
    EXPECT_EQ(splitPath(u"C:\\v\\sub").ext, u"");
}

TEST(SplitPathTest, OnlyTheLastDotOfTheLastComponentCounts) {
    SplitResult parts = splitPath(u"a.b.mp4");
    EXPECT_EQ(parts.ext, u".mp4");
    EXPECT_EQ(parts.name, u"a.b");
    EXPECT_EQ(parts.folder, u"");
    EXPECT_EQ(splitPath(u"/x.d/file").ext, u"");
    EXPECT_EQ(splitPath(u"/x/.hidden").ext, u".hidden");
}

TEST(SplitPathTest, BothSeparatorsAndTheRootSeparatorIsKept) {
    EXPECT_EQ(splitPath(u"C:/v\\w/a.mp4").folder, u"C:/v\\w");
    EXPECT_EQ(splitPath(u"/a.mp4").folder, u"/");
    EXPECT_EQ(splitPath(u"C:\\a.mp4").folder, u"C:\\");
}

TEST(AppendPathTest, JoinsWithASlashUnlessASeparatorEndsTheBase) {
    std::u16string base = u"C:\\data";
    appendPath(base, u"x");
    EXPECT_EQ(base, u"C:\\data/x");
    base = u"C:\\data\\";
    appendPath(base, u"x");
    EXPECT_EQ(base, u"C:\\data\\x");
    base.clear();
    appendPath(base, u"x");
    EXPECT_EQ(base, u"x");
}

TEST(PathRootTest, DriveAndServerShareRoots) {
    std::u16string root = u"stale";
    EXPECT_EQ(getPathRoot(u"C:\\x\\y", &root), 1);
    EXPECT_EQ(root, u"C:");
    EXPECT_EQ(getPathRoot(u"//host/share/dir/a.mp4", &root), 1);
    EXPECT_EQ(root, u"//host/share");
    EXPECT_EQ(getPathRoot(u"\\\\host\\share\\dir\\a.mp4", &root), 1);
    EXPECT_EQ(root, u"\\\\host\\share");
    EXPECT_EQ(getPathRoot(u"\\\\host\\share", &root), 1);
    EXPECT_EQ(root, u"\\\\host\\share");
    EXPECT_EQ(getPathRoot(u"/home/u/a.mp4", &root), 0);
    EXPECT_EQ(root, u"");
}

TEST(PathRootTest, SameRootIsCaseSensitive) {
    EXPECT_EQ(isSameRoot(u"C:\\x", u"C:\\y"), 1);
    EXPECT_EQ(isSameRoot(u"C:\\x", u"D:\\x"), 0);
    EXPECT_EQ(isSameRoot(u"\\\\h\\s\\a", u"\\\\h\\s\\b"), 1);
    EXPECT_EQ(isSameRoot(u"c:\\x", u"C:\\x"), 0);
    EXPECT_EQ(isSameRoot(u"/a/x", u"/b/y"), 1);
    EXPECT_EQ(isSameRoot(u"//h/s/a", u"/h/s/a"), 0);
}

TEST(PathRootTest, SameExtensionIsCaseSensitive) {
    EXPECT_EQ(isSameExtension(u"a.mp4", u"/x/b.mp4"), 1);
    EXPECT_EQ(isSameExtension(u"a.mp4", u"b.MP4"), 0);
    EXPECT_EQ(isSameExtension(u"a", u"b"), 1);
    EXPECT_EQ(isSameExtension(u"a.mp4", u"a"), 0);
}

TEST(LineFieldTest, QuotedFieldsKeepTheirBlanks) {
    const std::u16string line = u"1 \"C:\\My Videos\" x";
    std::u16string field;
    EXPECT_EQ(getLineField(&field, line, 1), 1);
    EXPECT_EQ(field, u"1");
    EXPECT_EQ(getLineField(&field, line, 2), 16);
    EXPECT_EQ(field, u"C:\\My Videos");
    EXPECT_EQ(getLineField(&field, line, 3), 18);
    EXPECT_EQ(field, u"x");
    EXPECT_EQ(getLineField(&field, line, 4), -1);
}

TEST(LineFieldTest, LineEndsAndBlankRuns) {
    std::u16string field;
    EXPECT_EQ(getLineField(&field, u"", 1), -1);
    EXPECT_EQ(getLineField(&field, u"   ", 1), -1);
    EXPECT_EQ(getLineField(&field, u"\t a\t\tb\r\n", 2), 6);
    EXPECT_EQ(field, u"b");
    EXPECT_EQ(getLineField(&field, u"a\r\nb", 2), -1);
    EXPECT_EQ(getLineField(&field, u"a\nb", 1), 1);
    EXPECT_EQ(field, u"a");
    EXPECT_EQ(getLineField(&field, u"a\rb c", 1), 3);
    EXPECT_EQ(field, u"ab");
    EXPECT_EQ(getLineField(&field, u"a b", 0), -1);
}

TEST(LineFieldTest, QuotesInsideAFieldGroupAndAreDropped) {
    std::u16string field;
    EXPECT_EQ(getLineField(&field, u"ab\"c d\"e f", 1), 8);
    EXPECT_EQ(field, u"abc de");
    EXPECT_EQ(getLineField(&field, u"\"\" next", 1), 2);
    EXPECT_EQ(field, u"");
    EXPECT_EQ(getLineField(&field, u"\"\" next", 2), 7);
    EXPECT_EQ(field, u"next");
}

class DiskPathTest : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override { dataFolder_.set(temp.path16()); }
    test::TempFolder temp;
};

TEST_F(DiskPathTest, PathStateTellsFoldersFromFiles) {
    temp.write("f.txt", "x");
    bool isFolder = true;
    EXPECT_FALSE(getPathState(temp.file16("missing"), &isFolder));
    EXPECT_TRUE(getPathState(temp.file16("f.txt"), &isFolder));
    EXPECT_FALSE(isFolder);
    EXPECT_TRUE(getPathState(temp.path16(), &isFolder));
    EXPECT_TRUE(isFolder);
}

TEST_F(DiskPathTest, ExecutableFolderHasNoTrailingSeparator) {
    dataFolder_.set(temp.path16() + u"/");
    EXPECT_EQ(dataFolder(), temp.path16());
}

TEST_F(DiskPathTest, BareNamesGoBesideTheExecutable) {
    EXPECT_EQ(appFilePath(u"WordList.txt"), temp.file16("WordList.txt"));
    EXPECT_EQ(appFilePath(u"README"), temp.file16("README"));
    EXPECT_EQ(appFilePath(u"sub\\WordList.txt"), u"sub\\WordList.txt");
    EXPECT_EQ(appFilePath(u"sub/WordList.txt"), u"sub/WordList.txt");
    EXPECT_EQ(appFilePath(u"/abs/WordList.txt"), u"/abs/WordList.txt");
}

TEST_F(DiskPathTest, MakeFolderTreeCreatesEveryMissingParent) {
    temp.makeFolder("a");
    EXPECT_EQ(makeFolderTree(temp.file16("a/b/c/")), 1);
    EXPECT_TRUE(fs::is_directory(temp.file("a/b")));
    EXPECT_TRUE(fs::is_directory(temp.file("a/b/c")));
    EXPECT_EQ(makeFolderTree(temp.file16("a/b/c")), 1);
    EXPECT_EQ(makeFolderTree(temp.file16("x//y")), 1);
    EXPECT_TRUE(fs::is_directory(temp.file("x/y")));
}

TEST_F(DiskPathTest, MakeFolderTreeFailsBelowAFile) {
    temp.write("file", "x");
    EXPECT_EQ(makeFolderTree(temp.file16("file/sub")), 0);
    EXPECT_EQ(makeFolderTree(temp.file16("file")), 0);
}

TEST_F(DiskPathTest, MakeFolderTreeOfARelativePathStartsInTheCurrentFolder) {
    std::error_code ignored;
    fs::path previous = fs::current_path();
    fs::current_path(temp.path());
    EXPECT_EQ(makeFolderTree(u"rel/deeper"), 1);
    fs::current_path(previous, ignored);
    EXPECT_TRUE(fs::is_directory(temp.file("rel/deeper")));
}

TEST_F(DiskPathTest, StoreFolderIsCreatedBesideTheExecutable) {
    std::u16string folder;
    resolveStoreFolder(&folder, u"trim");
    EXPECT_EQ(folder, temp.file16("trim"));
    EXPECT_TRUE(fs::is_directory(temp.file("trim")));
}

TEST_F(DiskPathTest, ExistingAndAbsoluteStoreFoldersAreUsedAsGiven) {
    test::TempFolder other;
    std::u16string folder;
    resolveStoreFolder(&folder, other.path16());
    EXPECT_EQ(folder, other.path16());
    resolveStoreFolder(&folder, other.file16("new/markers"));
    EXPECT_EQ(folder, other.file16("new/markers"));
    EXPECT_TRUE(fs::is_directory(other.file("new/markers")));
}

TEST_F(DiskPathTest, DataFileResolvesBesideTheExecutable) {
    temp.write("WordList.txt", "w");
    temp.makeFolder("folder.vrl");
    std::u16string file;
    EXPECT_EQ(resolveDataFile(&file, u"WordList.txt"), 1);
    EXPECT_EQ(file, temp.file16("WordList.txt"));
    EXPECT_EQ(resolveDataFile(&file, u"missing.vrl"), 0);
    EXPECT_EQ(file, temp.file16("missing.vrl"));
    EXPECT_EQ(resolveDataFile(&file, u"folder.vrl"), 0);
    EXPECT_EQ(resolveDataFile(&file, temp.file16("WordList.txt")), 1);
    EXPECT_EQ(file, temp.file16("WordList.txt"));
}

TEST_F(DiskPathTest, FileWriteTimeOrZeroWhenMissing) {
    temp.write("v.mp4", "data");
    test::setModificationTime(temp.file("v.mp4"), 1700000000);
    platform::FileTime time = -1;
    getFileWriteTime(&time, temp.file16("v.mp4"));
    EXPECT_EQ(time, platform::fileTimeFromUnix(1700000000, 0));
    getFileWriteTime(&time, temp.file16("missing.mp4"));
    EXPECT_EQ(time, 0);
}

}  // namespace
}  // namespace tvr::core
