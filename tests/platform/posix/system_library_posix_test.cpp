// SPDX-License-Identifier: MIT
// Loading from the system: the C library by its soname.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/dynamic_library.h"

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

}  // namespace
}  // namespace tvr::platform
