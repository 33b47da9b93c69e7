// SPDX-License-Identifier: MIT
// The bridge against our own helper library (built beside the test) copied into the places the
// program looks in, and against a folder without it.
#include "media/media_helper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/system_paths.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::media {
namespace {

std::string builtLibrary() {
    std::u16string path = platform::executablePath();
    path = path.substr(0, path.find_last_of(u"/\\") + 1) + helperLibraryFileName();
    std::string bytes;
    EXPECT_TRUE(platform::readFileBytes(path, &bytes)) << platform::toUtf8(path);
    return bytes;
}

TEST(MediaHelper, LoadsTheFirstPlaceThatHoldsALibraryAndReleasesIt) {
    const std::string library = builtLibrary();
    ASSERT_FALSE(library.empty());
    const auto places = helperLibraryPlaces();
    struct Case {
        std::vector<std::size_t> copies;  // places holding the library
        std::vector<std::size_t> broken;  // places holding a file by that name that is no library
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        {{0, 1, 2}, {}, 0},
        {{1, 2}, {}, 1},
        {{2}, {}, 2},
        {{2}, {0, 1}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::toUtf8(places[c.expected]));
        test::TempFolder folder;
        for (std::size_t place : c.copies) folder.write(platform::toUtf8(places[place]), library);
        for (std::size_t place : c.broken) folder.write(platform::toUtf8(places[place]), "not a library");
        MediaHelper helper;
        EXPECT_EQ(helper.load({folder.path16()}), u"");
        EXPECT_TRUE(helper.loaded());
        EXPECT_EQ(platform::canonicalPath(helper.libraryPath()),
                  platform::canonicalPath(folder.file16(platform::toUtf8(places[c.expected]))));
        for (std::size_t i = 0; i < kEntryPointNames.size(); ++i) {
            EXPECT_TRUE(helper.hasEntryPoint(i)) << kEntryPointNames[i];
        }
        helper.release();
        EXPECT_FALSE(helper.loaded());
        EXPECT_EQ(helper.libraryPath(), u"");
        helper.release();
        // Unloaded, so a second load (as at the next start) finds it again.
        EXPECT_EQ(helper.load({folder.path16()}), u"");
    }
}

TEST(MediaHelper, ALaterFolderIsLookedInWhenTheFirstHoldsNoLibrary) {
    const std::string library = builtLibrary();
    test::TempFolder first;
    test::TempFolder second;
    first.write("readme.txt", "no library here");
    second.write(platform::toUtf8(helperLibraryFileName()), library);
    MediaHelper helper;
    EXPECT_EQ(helper.load({first.path16(), second.path16()}), u"");
    EXPECT_EQ(platform::canonicalPath(helper.libraryPath()),
              platform::canonicalPath(second.file16(platform::toUtf8(helperLibraryFileName()))));
}

TEST(MediaHelper, AMissingLibraryGivesTheTextToShowAndNothingLoaded) {
    test::TempFolder folder;
    folder.write(platform::toUtf8(helperLibraryPlaces()[0]), "not a library");
    MediaHelper helper;
    std::u16string problem = helper.load({folder.path16()});
    EXPECT_EQ(problem, helperLibraryFileName() + u" の読み込みに失敗しました。");
    if (platform::backslashIsSeparator()) {
        EXPECT_EQ(problem, u"ZentrovaDirectShow.dll の読み込みに失敗しました。");
    }
    EXPECT_FALSE(helper.loaded());
    EXPECT_EQ(helper.libraryPath(), u"");
    for (std::size_t i = 0; i < kEntryPointNames.size(); ++i) EXPECT_FALSE(helper.hasEntryPoint(i));
    helper.release();
}

}  // namespace
}  // namespace tvr::media
