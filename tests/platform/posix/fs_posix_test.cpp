// SPDX-License-Identifier: MIT
// File system behaviour that only a POSIX system shows: symbolic links any user can make,
// /dev/shm as a second file system, '/' as the only separator.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "platform/fs.h"
#include "platform/time.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

TEST(FsPosix, LinksAreFollowedAndDanglingOnesSkipped) {
    test::TempFolder temp;
    temp.makeFolder("sub");
    temp.write("f.mp4", "x");
    std::filesystem::create_symlink(temp.file("sub"), temp.file("link"));
    std::filesystem::create_symlink(temp.file("gone"), temp.file("dangling"));
    EXPECT_EQ(pathKind(temp.file16("link")), PathKind::Folder);
    EXPECT_EQ(pathKind(temp.file16("dangling")), PathKind::Missing);
    std::map<std::u16string, DirEntry> seen;
    ASSERT_TRUE(enumerateFolder(temp.path16(), [&](const DirEntry& e) {
        seen[e.name] = e;
        return true;
    }));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[u"link"].isFolder);
    EXPECT_EQ(seen.count(u"dangling"), 0u);
    EXPECT_FALSE(backslashIsSeparator());
}

TEST(FsChange, MoveToAnotherFileSystemCopiesAndRemovesTheSource) {
    const std::filesystem::path shm("/dev/shm");
    if (!std::filesystem::is_directory(shm)) GTEST_SKIP() << "no /dev/shm here";
    test::TempFolder temp;
    temp.write("a.mp4", "moved across");
    test::setModificationTime(temp.file("a.mp4"), 1500000000);
    const std::string target = (shm / ("tvr-move-" + std::to_string(std::random_device{}()))).string();
    ASSERT_TRUE(moveNoOverwrite(temp.file16("a.mp4"), platform::fromUtf8(target)));
    EXPECT_EQ(pathKind(temp.file16("a.mp4")), PathKind::Missing);
    std::string bytes;
    EXPECT_TRUE(readFileBytes(platform::fromUtf8(target), &bytes));
    EXPECT_EQ(bytes, "moved across");
    FileTime write = 0;
    EXPECT_TRUE(fileWriteTime(platform::fromUtf8(target), &write));
    EXPECT_EQ(write, fileTimeFromUnix(1500000000, 0));
    temp.write("b.mp4", "second");
    EXPECT_FALSE(moveNoOverwrite(temp.file16("b.mp4"), platform::fromUtf8(target)));
    EXPECT_EQ(temp.read("b.mp4"), "second");
    std::filesystem::remove(target);
}

}  // namespace
}  // namespace tvr::platform
