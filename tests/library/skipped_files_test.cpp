// SPDX-License-Identifier: MIT
// The files left out for their extension, counted by extension, and the bounded look at a
// folder's top that the start-up summary takes.
#include "library/skipped_files.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "support/temp_folder.h"

namespace tvr::test {
namespace {

TEST(SkippedFiles, CountsByLowerCasedExtensionMostFilesFirst) {
    library::SkippedFiles skipped;
    for (const char16_t* name : {u"a.MKV", u"b.mkv", u"c.avi", u"d.srt", u"e.avi", u"f.mkv", u"README", u"g."})
        skipped.add(name);
    EXPECT_EQ(skipped.total(), 6) << "a name without an extension is no video's, whatever the setting";
    const auto top = skipped.mostCommon(3);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0].extension, u"mkv");
    EXPECT_EQ(top[0].files, 3);
    EXPECT_EQ(top[1].extension, u"avi");
    EXPECT_EQ(top[2].extension, u"srt");

    library::SkippedFiles many;
    for (int i = 0; i < 1000; ++i) many.add(core::format(u"x.e%d", {i}));
    EXPECT_EQ(many.total(), 1000) << "every file counts";
    EXPECT_EQ(many.mostCommon(1000).size(), library::SkippedFiles::kMaxExtensions) << "a folder of made-up extensions";
}

TEST(SkippedFiles, TheLookAtAFoldersTopStopsAtItsBound) {
    TempFolder folder;
    for (int i = 0; i < 10; ++i) folder.write("top/" + std::to_string(i) + ".mkv", "");
    folder.write("top/a.mp4", "");
    folder.write("top/sub/deeper.mkv", "");
    core::ExtensionTable table;
    table.build(u"mp4");
    const library::FolderTop whole = library::lookAtFolderTop(folder.file16("top"), table, 100);
    EXPECT_TRUE(whole.read && whole.complete);
    EXPECT_EQ(whole.videos, 1);
    EXPECT_EQ(whole.skipped.total(), 10) << "the sub-folder is not entered";
    const library::FolderTop part = library::lookAtFolderTop(folder.file16("top"), table, 5);
    EXPECT_TRUE(part.read);
    EXPECT_FALSE(part.complete);
    EXPECT_LE(part.videos + part.skipped.total(), 5);
    EXPECT_FALSE(library::lookAtFolderTop(folder.file16("none"), table, 5).read);
}

}  // namespace
}  // namespace tvr::test
