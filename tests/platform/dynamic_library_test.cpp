// SPDX-License-Identifier: MIT
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include "platform/fs.h"

namespace tvr::platform {
namespace {

TEST(DynamicLibrary, MissingLibraryOrSymbolIsRefused) {
    DynamicLibrary library;
    EXPECT_FALSE(library.open(u"no-such-library-tvr"));
    EXPECT_FALSE(library.open(u""));
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.symbol("strlen"), nullptr);
}

TEST(DynamicLibrary, HelpersAreLookedForBesideTheProgramThenInTheInstalledPrivateFolder) {
    if (backslashIsSeparator()) {
        // Windows looks beside the program only: a folder elsewhere could be planted by another user.
        EXPECT_EQ(helperLibraryFolders(u"C:\\Program Files\\TamvikVR Server"),
                  std::vector<std::u16string>{u"C:\\Program Files\\TamvikVR Server"});
        return;
    }
    struct Case {
        std::u16string_view programFolder;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {
        {u"/usr/bin", {u"/usr/bin", u"/usr/lib/tamvikvr"}},
        {u"/usr/local/bin", {u"/usr/local/bin", u"/usr/local/lib/tamvikvr"}},
        {u"/home/me/build", {u"/home/me/build", u"/home/me/lib/tamvikvr"}},
    };
    for (const Case& c : cases) EXPECT_EQ(helperLibraryFolders(c.programFolder), c.expected);
}

}  // namespace
}  // namespace tvr::platform
