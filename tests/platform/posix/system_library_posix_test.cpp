// SPDX-License-Identifier: MIT
// Loading from the system: the C library by its soname, and the drives a Linux machine shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/drives.h"
#include "platform/dynamic_library.h"
#include "platform/utf.h"

namespace tvr::platform {
namespace {

TEST(DynamicLibraryPosix, LoadsTheCLibraryAndCallsIntoIt) {
    DynamicLibrary library;
    ASSERT_TRUE(library.open(u"libc.so.6"));
    auto length = reinterpret_cast<std::size_t (*)(const char*)>(library.symbol("strlen"));
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("four"), 4u);
    EXPECT_EQ(library.symbol("no_such_symbol_tvr"), nullptr);
    library.close();
    EXPECT_FALSE(library.isOpen());
}

TEST(DrivesPosix, RootComesFirstThenTheHomeFolder) {
    std::vector<Drive> drives = listDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].root, u"/");
    const char* home = std::getenv("HOME");
    if (home == nullptr || std::strcmp(home, "/") == 0) GTEST_SKIP() << "no home folder here";
    ASSERT_GE(drives.size(), 2u);
    std::u16string expected = platform::fromUtf8(home);
    if (expected.back() != u'/') expected += u'/';
    EXPECT_EQ(drives[1].root, expected);
}

}  // namespace
}  // namespace tvr::platform
