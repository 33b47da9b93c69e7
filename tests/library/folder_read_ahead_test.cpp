// SPDX-License-Identifier: MIT
#include "library/folder_read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/utf.h"
#include "support/quiet_tree.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

using namespace std::chrono_literals;

// A folder's entries as "name/" for folders, "name@time" for files, in name order.
using Listing = std::vector<std::string>;

std::string line(const platform::DirEntry& entry, bool withTimes) {
    return platform::toUtf8(entry.name) + (entry.isFolder ? "/"
                                           : withTimes    ? "@" + std::to_string(entry.writeTime)
                                                          : "");
}

Listing sorted(Listing listing) {
    std::sort(listing.begin(), listing.end());
    return listing;
}

Listing enumerated(const std::u16string& folder, bool withTimes) {
    Listing out;
    const auto keep = [&](const platform::DirEntry& entry) {
        out.push_back(line(entry, withTimes));
        return true;
    };
    if (withTimes) {
        platform::enumerateFolder(folder, keep);
    } else {
        platform::enumerateFolderNames(folder, keep);
    }
    return sorted(out);
}

Listing readThrough(FolderReadAhead& readAhead, const std::u16string& folder, bool withTimes, bool* readable) {
    Listing out;
    *readable = readAhead.read(
        folder,
        [&](const platform::DirEntry& entry) {
            out.push_back(line(entry, withTimes));
            return true;
        },
        nullptr);
    return sorted(out);
}

TEST(FolderReadAheadTest, AFolderIsGivenAsItIsWhenTheWalkReadsItWhateverHappenedSinceTheReadAhead) {
    for (const bool withTimes : {true, false}) {
        SCOPED_TRACE(withTimes ? "names and times" : "names only");
        test::TempFolder temp;
        temp.write("Same/a1.mp4", "x");
        temp.write("Same/a2.mp4", "x");
        temp.makeFolder("Same/Sub");
        temp.write("Filled/b1.mp4", "x");
        temp.write("Removed/c1.mp4", "x");
        temp.write("Replaced/d1.mp4", "x");
        temp.write("Emptied/e1.mp4", "x");
        test::quietFolders(temp.path());
        const Listing same = enumerated(temp.file16("Same"), withTimes);
        ASSERT_EQ(same.size(), 3u);

        FolderReadAhead readAhead(withTimes, FolderReadAhead::Start::kAtOnce);
        readAhead.announce({temp.file16("Same"), temp.file16("Filled"), temp.file16("Removed"), temp.file16("Replaced"),
                            temp.file16("Emptied")});
        ASSERT_TRUE(readAhead.waitReady(5, 30s));

        // Between the read-ahead and the walk's turn the folders change under it.
        temp.write("Filled/b2.mp4", "x");
        std::filesystem::remove_all(temp.file("Removed"));
        std::filesystem::remove_all(temp.file("Replaced"));
        temp.write("Replaced/d9.mp4", "x");
        test::quietFolders(temp.file("Replaced"));  // the same write time, another folder
        std::filesystem::remove(temp.file("Emptied/e1.mp4"));

        bool readable = false;
        EXPECT_EQ(readThrough(readAhead, temp.file16("Same"), withTimes, &readable), same);
        EXPECT_TRUE(readable);
        EXPECT_EQ(readThrough(readAhead, temp.file16("Filled"), withTimes, &readable),
                  enumerated(temp.file16("Filled"), withTimes));
        EXPECT_EQ(enumerated(temp.file16("Filled"), withTimes).size(), 2u);
        EXPECT_EQ(readThrough(readAhead, temp.file16("Removed"), withTimes, &readable), Listing{});
        EXPECT_FALSE(readable) << "a folder gone is a folder that cannot be read";
        const Listing replaced = readThrough(readAhead, temp.file16("Replaced"), withTimes, &readable);
        ASSERT_EQ(replaced.size(), 1u);
        EXPECT_TRUE(replaced[0].starts_with("d9.mp4"));
        EXPECT_EQ(readThrough(readAhead, temp.file16("Emptied"), withTimes, &readable), Listing{});
        EXPECT_TRUE(readable);
    }
}

TEST(FolderReadAheadTest, FoldersTheWalkPassesFreeTheirPlaceInTheWindow) {
    test::TempFolder temp;
    constexpr std::size_t kWindow = FolderReadAhead::kWindowFolders;
    constexpr std::size_t kShows = 3 * kWindow;
    test::makeQuietShows(temp.path(), static_cast<int>(kShows), 2);
    std::vector<std::u16string> shows;
    for (std::size_t s = 0; s < kShows; ++s) shows.push_back(temp.file16("Show " + std::to_string(s)));

    FolderReadAhead readAhead(true, FolderReadAhead::Start::kAtOnce);
    readAhead.announce(shows);
    ASSERT_TRUE(readAhead.waitReady(kWindow, 30s));
    // The walk leaves out two shows of three, as a walk leaves out folders it has been in; the
    // ones it passed must not keep the threads from reading ahead of where it is now.
    for (std::size_t s = 2; s <= kWindow; s += 3) {
        bool readable = false;
        EXPECT_EQ(readThrough(readAhead, shows[s], true, &readable).size(), 2u) << s;
    }
    EXPECT_TRUE(readAhead.waitReady(kWindow, 30s));
}

}  // namespace
}  // namespace tvr::library
