// SPDX-License-Identifier: MIT
// What only the Windows backend promises: '\' and drive letters in paths, the .exe path, the
// known Videos folder, and unbuffered reads as the default mode.
#include <gtest/gtest.h>

#include <string>

#include "platform/drives.h"
#include "platform/dynamic_library.h"
#include "platform/fs.h"
#include "platform/sequential_reader.h"
#include "platform/system_paths.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

std::u16string withBackslashes(std::u16string path) {
    for (char16_t& c : path) {
        if (c == u'/') c = u'\\';
    }
    return path;
}

TEST(WindowsBackend, PathsTakeBackslashesAndDriveLetters) {
    EXPECT_TRUE(backslashIsSeparator());
    test::TempFolder temp;
    temp.write("sub/v.mp4", "data");
    const std::u16string folder = withBackslashes(temp.path16());
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder[1], u':');
    EXPECT_EQ(pathKind(folder + u"\\sub\\v.mp4"), PathKind::File);
    EXPECT_EQ(pathKind(folder.substr(0, 3)), PathKind::Folder);
    int entries = 0;
    EXPECT_TRUE(enumerateFolder(folder + u"\\sub\\", [&](const DirEntry& entry) {
        EXPECT_EQ(entry.name, u"v.mp4");
        return ++entries > 0;
    }));
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(moveNoOverwrite(folder + u"\\sub\\v.mp4", folder + u"\\w.mp4"));
    EXPECT_EQ(fileSize(folder + u"\\w.mp4"), 4);
}

TEST(WindowsBackend, SystemPathsComeFromTheSystem) {
    const std::u16string executable = executablePath();
    ASSERT_GT(executable.size(), 4u);
    EXPECT_EQ(executable.substr(executable.size() - 4), u".exe");
    EXPECT_EQ(executable[1], u':');
    EXPECT_FALSE(userVideosFolder().empty());
}

TEST(WindowsBackend, ReadsAreUnbufferedByDefault) {
    test::TempFolder temp;
    temp.write("v.mp4", std::string(3 * kSectorAlignment, 'v'));
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("v.mp4")));
    EXPECT_EQ(reader.mode(), ReadMode::Unbuffered);
}

TEST(WindowsBackend, DrivesAreLettersWithTheirLabels) {
    std::vector<DriveInfo> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    for (const DriveInfo& drive : drives) {
        ASSERT_EQ(drive.root.size(), 3u);
        EXPECT_GE(drive.root[0], u'A');
        EXPECT_LE(drive.root[0], u'Z');
        EXPECT_EQ(drive.root.substr(1), u":/");
    }
    bool hasC = false;
    for (const DriveInfo& drive : drives) hasC = hasC || drive.root == u"C:/";
    EXPECT_TRUE(hasC);
}

TEST(WindowsBackend, LoadsASystemLibraryAndCallsIntoIt) {
    DynamicLibrary library;
    ASSERT_TRUE(library.open(u"kernel32.dll"));
    using TickFunction = unsigned long long(__stdcall*)();
    auto ticks = reinterpret_cast<TickFunction>(library.symbol("GetTickCount64"));
    ASSERT_NE(ticks, nullptr);
    EXPECT_GT(ticks(), 0u);
    EXPECT_EQ(library.symbol("NoSuchSymbolTvr"), nullptr);
}

}  // namespace
}  // namespace tvr::platform
