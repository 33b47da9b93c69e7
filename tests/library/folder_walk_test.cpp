// SPDX-License-Identifier: MIT
#include "library/folder_walk.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fs.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

using Steps = std::vector<WalkStep>;

TEST(FolderWalkTest, EntersEachFolderOncePerTreeUpToTheCapAndStopsWhenAsked) {
    test::TempFolder temp;
    temp.makeFolder("A");
    temp.makeFolder("B");
    temp.makeFolder("C");
    const std::u16string a = temp.file16("A");
    const std::u16string b = temp.file16("B");
    const std::u16string c = temp.file16("C");

    FolderWalk walk(nullptr, 3);
    // The same folder under another spelling is the same folder.
    EXPECT_EQ((Steps{walk.enter(a), walk.enter(a), walk.enter(a + u"/"), walk.enter(b)}),
              (Steps{WalkStep::kEnter, WalkStep::kSkip, WalkStep::kSkip, WalkStep::kEnter}));
    walk.beginTree();
    EXPECT_EQ(walk.enter(a), WalkStep::kEnter) << "a new tree may enter it again";
    EXPECT_FALSE(walk.capped());
    EXPECT_EQ((Steps{walk.enter(c), walk.enter(b)}), (Steps{WalkStep::kStop, WalkStep::kStop}));
    EXPECT_TRUE(walk.capped());
    EXPECT_TRUE(walk.shouldStop());

    bool stop = false;
    FolderWalk stoppable([&stop] { return stop; });
    EXPECT_EQ(stoppable.enter(a), WalkStep::kEnter);
    stop = true;
    EXPECT_TRUE(stoppable.shouldStop());
    EXPECT_EQ(stoppable.enter(b), WalkStep::kStop);
    EXPECT_FALSE(stoppable.capped());
}

TEST(FolderWalkTest, PseudoFileSystemsAreLeftOut) {
    if (platform::backslashIsSeparator()) GTEST_SKIP() << "Windows has no /proc, /sys or /dev";
    test::TempFolder temp;
    FolderWalk walk;
    EXPECT_EQ((Steps{walk.enter(u"/proc"), walk.enter(u"/proc/self"), walk.enter(u"/sys"), walk.enter(u"/dev"),
                     walk.enter(temp.path16())}),
              (Steps{WalkStep::kSkip, WalkStep::kSkip, WalkStep::kSkip, WalkStep::kSkip, WalkStep::kEnter}));
}

}  // namespace
}  // namespace tvr::library
