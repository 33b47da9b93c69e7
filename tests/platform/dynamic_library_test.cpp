// SPDX-License-Identifier: MIT
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

namespace tvr::platform {
namespace {

TEST(DynamicLibrary, MissingLibraryOrSymbolIsRefused) {
    DynamicLibrary library;
    EXPECT_FALSE(library.open(u"no-such-library-tvr"));
    EXPECT_FALSE(library.open(u""));
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.symbol("strlen"), nullptr);
}

}  // namespace
}  // namespace tvr::platform
