// SPDX-License-Identifier: MIT
#include "platform/fs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/sequential_reader.h"
#include "platform/time.h"
#include "platform/utf.h"
#include "support/folder_link.h"
#include "support/quiet_tree.h"
#include "support/sparse_file.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

constexpr FileTime kSecond = 10000000;

TEST(FsKinds, TellsFilesFoldersAndMissingPaths) {
    test::TempFolder temp;
    temp.write("f.mp4", "x");
    temp.makeFolder("sub");
    EXPECT_EQ(pathKind(temp.file16("f.mp4")), PathKind::File);
    EXPECT_EQ(pathKind(temp.file16("sub")), PathKind::Folder);
    EXPECT_EQ(pathKind(temp.file16("none")), PathKind::Missing);
    EXPECT_EQ(pathKind(u""), PathKind::Missing);
    EXPECT_EQ(fileSize(temp.file16("f.mp4")), 1);
    EXPECT_EQ(fileSize(temp.file16("none")), -1);
    EXPECT_EQ(fileSize(temp.file16("sub")), -1);
}

TEST(FsEnumerate, ReportsEveryEntryWithKindAndWriteTime) {
    test::TempFolder temp;
    temp.write("b.mkv", "1");
    temp.write("\xE6\x98\xA0\xE7\x94\xBB.mp4", "2");
    temp.makeFolder("Season 1");
    test::setModificationTime(temp.file("b.mkv"), 1700000000);
    std::map<std::u16string, DirEntry> seen;
    ASSERT_TRUE(enumerateFolder(temp.path16() + u"/", [&](const DirEntry& e) {
        seen[e.name] = e;
        return true;
    }));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[u"b.mkv"].isFolder);
    EXPECT_EQ(seen[u"b.mkv"].writeTime, fileTimeFromUnix(1700000000, 0));
    EXPECT_TRUE(seen[u"Season 1"].isFolder);
    EXPECT_EQ(seen.count(u"\u6620\u753B.mp4"), 1u);
}

TEST(FsEnumerate, StopsEarlyAndFailsOnMissingFolder) {
    test::TempFolder temp;
    temp.write("a", "");
    temp.write("b", "");
    int calls = 0;
    EXPECT_TRUE(enumerateFolder(temp.path16(), [&](const DirEntry&) { return ++calls < 1; }));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(enumerateFolder(temp.file16("none"), [](const DirEntry&) { return true; }));
}

TEST(FsChange, MakeFolderAndRemoveFile) {
    test::TempFolder temp;
    EXPECT_TRUE(makeFolder(temp.file16("new")));
    EXPECT_FALSE(makeFolder(temp.file16("new")));
    EXPECT_FALSE(makeFolder(temp.file16("no/parent")));
    temp.write("f", "x");
    EXPECT_TRUE(removeFile(temp.file16("f")));
    EXPECT_FALSE(removeFile(temp.file16("f")));
}

TEST(FsChange, MoveRefusesToOverwrite) {
    test::TempFolder temp;
    temp.write("a.mp4", "source");
    temp.write("b.mp4", "target");
    EXPECT_FALSE(moveNoOverwrite(temp.file16("a.mp4"), temp.file16("b.mp4")));
    EXPECT_EQ(temp.read("a.mp4"), "source");
    EXPECT_EQ(temp.read("b.mp4"), "target");
    EXPECT_TRUE(moveNoOverwrite(temp.file16("a.mp4"), temp.file16("c.mp4")));
    EXPECT_EQ(temp.read("c.mp4"), "source");
    EXPECT_EQ(pathKind(temp.file16("a.mp4")), PathKind::Missing);
    temp.makeFolder("dir");
    EXPECT_TRUE(moveNoOverwrite(temp.file16("dir"), temp.file16("moved")));
    EXPECT_EQ(pathKind(temp.file16("moved")), PathKind::Folder);
}

TEST(FsTimes, SetThenGetKeepsAccessAndWrite) {
    test::TempFolder temp;
    temp.write("v.mp4", "data");
    FileTimes set;
    set.access = fileTimeFromUnix(1600000000, 500000000);
    set.write = fileTimeFromUnix(1500000000, 123456700);
    ASSERT_TRUE(setFileTimes(temp.file16("v.mp4"), set));
    FileTimes got;
    ASSERT_TRUE(getFileTimes(temp.file16("v.mp4"), &got));
    EXPECT_EQ(got.access, set.access);
    EXPECT_EQ(got.write, set.write);
    EXPECT_NE(got.creation, 0);
    FileTime write = 0;
    ASSERT_TRUE(fileWriteTime(temp.file16("v.mp4"), &write));
    EXPECT_EQ(write, set.write);
}

TEST(FsTimes, ZeroLeavesATimeUnchanged) {
    test::TempFolder temp;
    temp.write("v.mp4", "data");
    test::setModificationTime(temp.file("v.mp4"), 1400000000);
    FileTimes set;
    set.access = fileTimeFromUnix(1600000000, 0);
    ASSERT_TRUE(setFileTimes(temp.file16("v.mp4"), set));
    FileTime write = 0;
    ASSERT_TRUE(fileWriteTime(temp.file16("v.mp4"), &write));
    EXPECT_EQ(write, fileTimeFromUnix(1400000000, 0));
    EXPECT_EQ(write % kSecond, 0);
}

TEST(FsTimes, UnopenableFileFails) {
    test::TempFolder temp;
    FileTime write = 42;
    EXPECT_FALSE(fileWriteTime(temp.file16("missing"), &write));
    FileTimes times;
    EXPECT_FALSE(getFileTimes(temp.file16("missing"), &times));
    EXPECT_FALSE(setFileTimes(temp.file16("missing"), times));
}

std::atomic<int> folderFlushes{0};
void countFolderFlush(std::u16string_view) { ++folderFlushes; }

TEST(FsFiles, AtomicWriteReplacesAndReadsBack) {
    test::TempFolder temp;
    temp.write("f.bin", "old");
    folderFlushes = 0;
    setFolderFlushHook(&countFolderFlush);
    const bool written = writeFileAtomic(temp.file16("f.bin"), std::string("new\0bytes", 9));
    setFolderFlushHook(nullptr);
    ASSERT_TRUE(written);
    EXPECT_EQ(folderFlushes, 1) << "the folder holds the new name only once it is flushed";
    std::string bytes;
    ASSERT_TRUE(readFileBytes(temp.file16("f.bin"), &bytes));
    EXPECT_EQ(bytes, std::string("new\0bytes", 9));
    EXPECT_FALSE(readFileBytes(temp.file16("missing"), &bytes));
    EXPECT_FALSE(writeFileAtomic(temp.file16("no/folder/f"), "x"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(FsStamp, AFolderIsQuietOnlyWhenLastWrittenMoreThanAMomentAgo) {
    test::TempFolder temp;
    temp.write("old/a.mp4", "x");
    temp.write("new/a.mp4", "x");
    test::quietFolders(temp.file("old"));
    FolderStamp old;
    FolderStamp fresh;
    ASSERT_TRUE(folderStamp(temp.file16("old"), &old));
    ASSERT_TRUE(folderStamp(temp.file16("new"), &fresh));
    EXPECT_TRUE(old.quiet) << "written an hour ago";
    EXPECT_FALSE(fresh.quiet) << "written just now";
    EXPECT_FALSE(folderStamp(temp.file16("old/a.mp4"), &old)) << "a file has no folder stamp";
}

std::atomic<int> blockReads{0};
void countBlockRead(std::size_t) { ++blockReads; }

TEST(FsFiles, BoundedReadRefusesALargerFileWithoutReadingIt) {
    test::TempFolder temp;
    temp.write("five.txt", "12345");
    // A sparse file takes no disk; reading it whole would reserve 100 GiB.
    ASSERT_TRUE(test::makeSparseFile(temp.file("huge.mp4"), 100ULL << 30));
    struct Case {
        const char* file;
        std::uint64_t maxBytes;
        ReadStatus expected;
    };
    for (const Case& c : {Case{"five.txt", 5, ReadStatus::kRead}, Case{"five.txt", 4, ReadStatus::kTooLarge},
                          Case{"huge.mp4", 64ULL << 20, ReadStatus::kTooLarge},
                          Case{"missing", 64ULL << 20, ReadStatus::kCannotRead}}) {
        SCOPED_TRACE(std::string(c.file) + " up to " + std::to_string(c.maxBytes));
        std::string bytes = "before";
        blockReads = 0;
        setReadHook(&countBlockRead);
        ReadStatus status = readFileBytesUpTo(temp.file16(c.file), c.maxBytes, &bytes);
        setReadHook(nullptr);
        EXPECT_EQ(status, c.expected);
        EXPECT_EQ(bytes, c.expected == ReadStatus::kRead ? "12345" : "before");
        // A file larger than the bound is refused by its size, before any block is read.
        EXPECT_EQ(blockReads > 0, c.expected == ReadStatus::kRead) << blockReads << " blocks read";
    }
}

TEST(FsFiles, LeftoversOfAtomicWritesAreRemovedAndNothingElse) {
    test::TempFolder temp;
    const std::vector<std::string> ours = {".TamvikVRServer.ini.tmp-a1B2c3", ".favorite.vrl.tmp-XyZ789"};
    const std::vector<std::string> others = {"TamvikVRServer.ini",
                                             "TamvikVRServer.ini.tmp-a1B2c3",  // no leading dot
                                             ".x.tmp-abc",                     // too short to be mkstemp's
                                             ".x.tmp-abc-de",
                                             ".x.tmp-abcdefg",  // not six letters or digits
                                             ".hidden",
                                             "notes.tmp-ABCDEF.txt"};
    for (const auto& name : ours) temp.write(name, "torn");
    for (const auto& name : others) temp.write(name, "kept");
    temp.makeFolder(".sub.tmp-ABCDEF");

    EXPECT_EQ(removeAtomicWriteLeftovers(temp.path16()), 2);
    for (const auto& name : ours) EXPECT_FALSE(std::filesystem::exists(temp.file(name))) << name;
    for (const auto& name : others) EXPECT_EQ(temp.read(name), "kept") << name;
    EXPECT_TRUE(std::filesystem::is_directory(temp.file(".sub.tmp-ABCDEF")));
    EXPECT_EQ(removeAtomicWriteLeftovers(temp.file16("missing")), 0);
}

TEST(FsFiles, ALinkNamedLikeALeftoverIsNotRemoved) {
    test::TempFolder temp;
    temp.write("TamvikVRServer.ini", "kept");
    if (!test::makeFileLink(temp.file("TamvikVRServer.ini"), temp.file(".link.tmp-ABCDEF"))) {
        GTEST_SKIP() << "this system refuses symbolic links";
    }
    EXPECT_EQ(removeAtomicWriteLeftovers(temp.path16()), 0);
    EXPECT_EQ(pathKind(temp.file16(".link.tmp-ABCDEF")), PathKind::File);
    EXPECT_EQ(temp.read("TamvikVRServer.ini"), "kept");
}

TEST(FsFiles, AtomicWriteWaitsOutAReaderThatHoldsTheFileForAMoment) {
    test::TempFolder temp;
    temp.write("f.bin", "old");
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("f.bin"), ReadMode::Buffered));
    std::thread release([&reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        reader.close();
    });
    EXPECT_TRUE(writeFileAtomic(temp.file16("f.bin"), "new"));
    release.join();
    EXPECT_EQ(temp.read("f.bin"), "new");
}

TEST(FsFiles, AppendFileTellsNewFromExisting) {
    test::TempFolder temp;
    bool created = false;
    {
        AppendFile log;
        ASSERT_TRUE(log.open(temp.file16("log.txt"), &created));
        EXPECT_TRUE(created);
        EXPECT_TRUE(log.write("one\r\n"));
    }
    AppendFile log;
    ASSERT_TRUE(log.open(temp.file16("log.txt"), &created));
    EXPECT_FALSE(created);
    EXPECT_TRUE(log.write("two\r\n"));
    log.flush();
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.write("three"));
    EXPECT_EQ(temp.read("log.txt"), "one\r\ntwo\r\n");
}

}  // namespace
}  // namespace tvr::platform
