// SPDX-License-Identifier: MIT
// File system behaviour that only a POSIX system shows: symbolic links any user can make,
// /dev/shm as a second file system, '/' as the only separator.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

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
    // With times and with names only (which tells kinds without a look-up per entry) alike.
    for (const auto enumerate : {&enumerateFolder, &enumerateFolderNames}) {
        std::map<std::u16string, DirEntry> seen;
        ASSERT_TRUE(enumerate(
            temp.path16(),
            [&](const DirEntry& e) {
                seen[e.name] = e;
                return true;
            },
            nullptr));
        EXPECT_EQ(seen.size(), 3u);
        EXPECT_TRUE(seen[u"link"].isFolder);
        EXPECT_TRUE(seen[u"sub"].isFolder);
        EXPECT_FALSE(seen[u"f.mp4"].isFolder);
        EXPECT_EQ(seen.count(u"dangling"), 0u);
    }
    EXPECT_FALSE(backslashIsSeparator());
}

// A download's output through links: a chain of relative links whose last target does not exist
// yet gets the file there, and the links stay; a loop of links is refused.
TEST(FsPosix, OutputFileFollowsLinksToATargetNotThereYet) {
    test::TempFolder temp;
    temp.makeFolder("videos");
    std::filesystem::create_symlink("videos/later.mp4", temp.file("dangling"));
    std::filesystem::create_symlink("dangling", temp.file("chain"));
    OutputFile output;
    ASSERT_EQ(output.open(temp.file16("chain")), OutputFile::Opened::Ok);
    ASSERT_TRUE(output.write("body"));
    EXPECT_EQ(temp.read("videos/later.mp4"), "");
    ASSERT_TRUE(output.commit());
    EXPECT_EQ(temp.read("videos/later.mp4"), "body");
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("chain")));
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("dangling")));

    std::filesystem::create_symlink("loop2", temp.file("loop1"));
    std::filesystem::create_symlink("loop1", temp.file("loop2"));
    EXPECT_EQ(output.open(temp.file16("loop1")), OutputFile::Opened::Failed);
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("loop1")));
}

TEST(FsPosix, NamesThatAreNotUtf8AreLeftOutAndCounted) {
    test::TempFolder temp;
    // Latin-1 names would all read as "caf\uFFFD.mp4", the name of the third file.
    for (const char* name : {"caf\xe9.mp4", "caf\xe8.mp4", "caf\xef\xbf\xbd.mp4", "plain.mp4"}) temp.write(name, "x");
    for (auto enumerate : {enumerateFolder, enumerateFolderNames}) {
        std::vector<std::u16string> names;
        std::size_t undecodable = 0;
        ASSERT_TRUE(enumerate(
            temp.path16(),
            [&](const DirEntry& e) {
                names.push_back(e.name);
                return true;
            },
            &undecodable));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::u16string>{u"caf\uFFFD.mp4", u"plain.mp4"}));
        EXPECT_EQ(undecodable, 2u);
    }
}

// True when the two folders are on different file systems, so a move between them copies.
bool onTwoFileSystems(const test::TempFolder& a, const test::TempFolder& b) {
    FileIdentity here;
    FileIdentity there;
    return fileIdentity(a.path16(), &here) && fileIdentity(b.path16(), &there) && here.device != there.device;
}

std::vector<std::string> namesIn(const test::TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The settings hold the password: under the usual umask 022 what the program makes is still the
// user's alone, while a file the user opened up keeps the mode the user gave it.
TEST(FsPosix, FilesAndFoldersTheProgramMakesAreTheOwnersAlone) {
    const mode_t previous = ::umask(022);
    test::TempFolder temp;
    ASSERT_TRUE(writeFileAtomic(temp.file16("new.ini"), "a"));
    EXPECT_EQ(modeOf(temp.file("new.ini")), 0600u);
    temp.write("shared.vrl", "old");
    ::chmod(temp.file("shared.vrl").c_str(), 0644);
    ASSERT_TRUE(writeFileAtomic(temp.file16("shared.vrl"), "new"));
    EXPECT_EQ(modeOf(temp.file("shared.vrl")), 0644u);
    AppendFile log;
    bool created = false;
    ASSERT_TRUE(log.open(temp.file16("log.txt"), &created));
    EXPECT_TRUE(created);
    EXPECT_EQ(modeOf(temp.file("log.txt")), 0600u);
    ASSERT_TRUE(makeFolder(temp.file16("data")));
    ASSERT_TRUE(restrictToOwner(temp.file16("data")));
    EXPECT_EQ(modeOf(temp.file("data")), 0700u);
    EXPECT_FALSE(restrictToOwner(temp.file16("missing")));
    ::umask(previous);
}

TEST(FsChange, MoveToAnotherFileSystemKeepsTimesAndNeverLosesAFile) {
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
    test::TempFolder temp;
    test::TempFolder other("/dev/shm");
    if (!onTwoFileSystems(temp, other)) GTEST_SKIP() << "/dev/shm is on the temporary folder's file system";

    temp.write("a.mp4", "moved across");
    FileTimes times;
    times.access = fileTimeFromUnix(1600000000, 0);
    times.write = fileTimeFromUnix(1500000000, 250000000);
    ASSERT_TRUE(setFileTimes(temp.file16("a.mp4"), times));
    ASSERT_TRUE(moveNoOverwrite(temp.file16("a.mp4"), other.file16("a.mp4")));
    FileTimes moved;  // before the read below, which may set the access time
    ASSERT_TRUE(getFileTimes(other.file16("a.mp4"), &moved));
    EXPECT_EQ(moved.access, times.access);
    EXPECT_EQ(moved.write, times.write);
    EXPECT_EQ(pathKind(temp.file16("a.mp4")), PathKind::Missing);
    EXPECT_EQ(other.read("a.mp4"), "moved across");

    // Refused moves leave the source, the target and no temporary copy.
    temp.write("b.mp4", "second");
    EXPECT_FALSE(moveNoOverwrite(temp.file16("b.mp4"), other.file16("a.mp4")));
    EXPECT_FALSE(moveNoOverwrite(temp.file16("b.mp4"), other.file16("no/folder/b.mp4")));
    EXPECT_EQ(temp.read("b.mp4"), "second");
    EXPECT_EQ(other.read("a.mp4"), "moved across");
    EXPECT_EQ(namesIn(other), std::vector<std::string>{"a.mp4"});
}

// A copy across file systems asks between blocks whether to stop; stopped, it leaves the source
// and no partial copy. A partial copy that a killed process left goes with the next move into
// that folder, unless a move still running (its lock held) owns it.
TEST(FsChange, StoppedOrKilledCopyLeavesNoPartialFile) {
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
    test::TempFolder temp;
    test::TempFolder other("/dev/shm");
    if (!onTwoFileSystems(temp, other)) GTEST_SKIP() << "/dev/shm is on the temporary folder's file system";

    const std::string content(3 * 65536 + 17, 'v');
    temp.write("big.mp4", content);
    int asked = 0;
    EXPECT_FALSE(moveNoOverwrite(temp.file16("big.mp4"), other.file16("big.mp4"), [&] { return ++asked == 2; }));
    EXPECT_EQ(asked, 2) << "the stop comes after the first block";
    EXPECT_TRUE(temp.read("big.mp4") == content) << "the source stays whole";
    EXPECT_TRUE(namesIn(other).empty());

    other.write(".tvr-move-Ab12Cd", "killed mid-copy");
    other.write(".tvr-move-Ab12Cd.mp4", "not a copy's name");
    other.write(".tvr-move-Held01", "a copy still running");
    const int held = ::open(other.file(".tvr-move-Held01").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(moveNoOverwrite(temp.file16("big.mp4"), other.file16("big.mp4"), [] { return false; }));
    ::close(held);
    EXPECT_EQ(namesIn(other), (std::vector<std::string>{".tvr-move-Ab12Cd.mp4", ".tvr-move-Held01", "big.mp4"}));
    EXPECT_TRUE(other.read("big.mp4") == content);
}

}  // namespace
}  // namespace tvr::platform
