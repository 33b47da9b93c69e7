// SPDX-License-Identifier: MIT
#include "platform/drives.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/dynamic_library.h"
#include "platform/fs.h"

namespace tvr::platform {
namespace {

TEST(Drives, EveryDriveIsAFolderListedOnce) {
    std::vector<Drive> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    std::set<std::u16string> roots;
    for (const Drive& drive : drives) {
        ASSERT_FALSE(drive.root.empty());
        EXPECT_EQ(drive.root.back(), u'/');
        EXPECT_EQ(pathKind(drive.root), PathKind::Folder);
        EXPECT_TRUE(roots.insert(drive.root).second);
    }
}

TEST(DynamicLibrary, MissingLibraryOrSymbolIsRefused) {
    DynamicLibrary library;
    EXPECT_FALSE(library.open(u"no-such-library-tvr"));
    EXPECT_FALSE(library.open(u""));
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.symbol("strlen"), nullptr);
}

}  // namespace
}  // namespace tvr::platform
