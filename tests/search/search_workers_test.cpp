// SPDX-License-Identifier: MIT
// The three workers on real folder trees and list files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "platform/drives.h"
#include "platform/open_folder.h"
#include "platform/utf.h"
#include "search/find_file_worker.h"
#include "search/folder_rows.h"
#include "search/search_file_worker.h"
#include "support/data_folder_scope.h"
#include "support/link_maze.h"
#include "support/quiet_tree.h"
#include "support/temp_folder.h"

namespace tvr::search {
namespace {

using Rows = std::vector<std::string>;

std::string lines(std::initializer_list<std::string> items) {
    std::string text;
    for (const std::string& item : items) text += item + "\n";
    return text;
}

Rows sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

class SearchWorkersTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder_.set(exe_.path16());
        settings_.config = core::defaultConfig();
        settings_.config.searchFolder1 = u"SearchFolder1.vrl";
        settings_.config.pcFolderListPath = u"PCFolderList.vrl";
        settings_.extensions.build(u"mp4");
    }

    std::string at(const std::string& relative) const { return tree_.file(relative); }

    // A video row as its path; a folder row as "flag type folder | shown name".
    static std::string text(const SearchRow& row) {
        if (!row.folder) return platform::toUtf8(row.path);
        return std::to_string(row.folder->flag) + " " + std::to_string(row.folder->type) + " " +
               platform::toUtf8(row.path) + " | " + platform::toUtf8(row.folder->displayName);
    }

    // Runs one request the way the engine thread does and returns its rows.
    template <typename Run>
    Rows rowsOf(Run run, std::size_t maxRows = SearchResults::kMaxRows) {
        SearchResults results(maxRows);
        std::atomic<bool> cancel{false};
        const SearchContext context{settings_, results, cancel};
        run(context);
        Rows rows;
        for (std::int32_t i = 0; i < results.count(); i += SearchResults::kMaxWindow) {
            for (const SearchRow& row : results.window(i, SearchResults::kMaxWindow)) {
                rows.push_back(text(row));
            }
        }
        return rows;
    }

    Rows search(const std::string& text) {
        return rowsOf([&](const SearchContext& context) { searchFileNames(platform::fromUtf8(text), context); });
    }

    Rows find(FindFileWorker& worker, const std::string& path) {
        return rowsOf([&](const SearchContext& context) { worker.run(platform::fromUtf8(path), context); });
    }

    // A find whose cancel came before it ran: it gives up before its first look.
    Rows cancelledFind(FindFileWorker& worker, const std::string& path) {
        SearchResults results;
        std::atomic<bool> cancel{true};
        worker.run(platform::fromUtf8(path), SearchContext{settings_, results, cancel});
        return Rows(static_cast<std::size_t>(results.count()), "row");
    }

    Rows getDir(const std::u16string& folder) {
        return rowsOf([&](const SearchContext& context) { listFolderRows(folder, context); });
    }

    test::TempFolder exe_;
    test::TempFolder tree_;
    SearchSettings settings_;
    test::DataFolderScope dataFolder_;
};

TEST_F(SearchWorkersTest, ACancelledFindLooksNowhere) {
    tree_.write("Videos/Show/ep1.mp4", "x");
    tree_.write("Videos/Show/ep2.mp4", "x");
    tree_.write("Listed/ep3.mp4", "x");
    exe_.write("SearchFolder1.vrl", lines({at("Listed")}));
    FindFileWorker worker;
    ASSERT_EQ(find(worker, at("Videos/Show/ep1.mp4")).size(), 1u);  // remembers Videos/Show
    struct Case {
        const char* where;
        std::string path;
    };
    const Case cases[] = {
        {"the remembered folder", at("Gone/ep2.mp4")},
        {"the request's own folder", at("Videos/Show/ep2.mp4")},
        {"below the request's folder", at("Videos/ep2.mp4")},
        {"the search-folder list", at("Gone/ep3.mp4")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cancelledFind(worker, c.path), Rows{}) << c.where;
        EXPECT_EQ(worker.fileTests(), 0u) << c.where;
    }
}

TEST_F(SearchWorkersTest, FindFileSearchesTheListAndThenAnswersFromTheRememberedFolder) {
    tree_.write("Videos/Show/ep1.mp4", "x");
    tree_.write("Videos/Show/ep2.mp4", "x");
    tree_.write("Old/Other/ep9.mp4", "x");
    exe_.write("SearchFolder1.vrl", lines({at("Missing"), at("Videos")}));
    FindFileWorker worker;

    EXPECT_EQ(find(worker, at("Gone/Show/ep1.mp4")), Rows{at("Videos/Show/ep1.mp4")});
    EXPECT_EQ(platform::toUtf8(worker.lastFolder()), at("Videos/Show"));

    EXPECT_EQ(find(worker, at("Gone/Show/ep2.mp4")), Rows{at("Videos/Show/ep2.mp4")});
    EXPECT_EQ(worker.fileTests(), 1u);

    // Its own folder's tree comes before the list; a name found nowhere gives no row.
    EXPECT_EQ(find(worker, at("Old/ep9.mp4")), Rows{at("Old/Other/ep9.mp4")});
    EXPECT_EQ(find(worker, at("Old/nowhere.mp4")), Rows{});
}

TEST_F(SearchWorkersTest, SearchFollowsTheListDirectives) {
    // Names that stay apart where the file system ignores case: the text's case matters, the
    // extension's does not.
    tree_.write("V/Trip 2019.mp4", "x");
    tree_.write("V/Trip 2020.MP4", "x");
    tree_.write("V/trip 2021.mp4", "x");
    tree_.write("V/Trip 2022.mkv", "x");
    tree_.write("V/Show/Trip a.mp4", "x");
    tree_.write("V/$RECYCLE.BIN/Trip b.mp4", "x");
    tree_.write("W/Trip w.mp4", "x");
    settings_.config.channels[2] = {core::kChannelPcFolder, platform::fromUtf8(at("W"))};
    settings_.config.channels[3] = {core::kChannelVrDevice, platform::fromUtf8(at("W"))};
    const std::string v1 = at("V/Trip 2019.mp4"), v2 = at("V/Trip 2020.MP4"), show = at("V/Show/Trip a.mp4");

    struct Case {
        const char* name;
        std::string list;
        std::string inner;  // inner.vrl beside the executable, when not empty
        Rows expected;
    };
    const std::vector<Case> cases = {
        {"case-sensitive text, extension filter, no $ folders", lines({at("V")}), "", {v1, v2, show}},
        {"without #once a folder named twice is searched twice",
         lines({at("V"), at("V/Show")}),
         "",
         {v1, v2, show, show}},
        {"#once skips a folder already searched", lines({at("V"), "#once", at("V/Show")}), "", {v1, v2, show}},
        {"#no_once of a nested list stays in it",
         lines({"#once", at("V"), exe_.file("inner.vrl"), at("V/Show")}),
         lines({"#no_once", at("V/Show")}),
         {v1, v2, show, show}},
        {"a list that names itself is walked once",
         lines({at("V/Show"), exe_.file("inner.vrl")}),
         lines({exe_.file("SearchFolder1.vrl"), at("W")}),
         {show, at("W/Trip w.mp4")}},
        {"#end ends the list", lines({at("V/Show"), "#end", at("V")}), "", {show}},
        {"#ch of a PC folder channel, not of a VR device one",
         lines({"#ch3", "#ch4", "#ch0"}),
         "",
         {at("W/Trip w.mp4")}},
        {"missing folders and other files are skipped",
         lines({at("nope"), at("V/Trip 2019.mp4"), at("V/Show")}),
         "",
         {show}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exe_.write("SearchFolder1.vrl", c.list);
        std::filesystem::remove(exe_.file("inner.vrl"));
        if (!c.inner.empty()) exe_.write("inner.vrl", c.inner);
        EXPECT_EQ(sorted(search("Trip")), sorted(c.expected));
    }
}

TEST_F(SearchWorkersTest, WalksEnterEachFolderOnceWhateverTheLinks) {
    constexpr int kLevels = 12;
    if (!test::makeLinkMaze(at("M"), kLevels)) GTEST_SKIP() << "this system refuses symbolic links to folders";
    exe_.write("SearchFolder1.vrl", lines({at("M")}));

    // One row per video, each under the first path the walk met it by.
    Rows rows = search("");
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kLevels + 1));
    std::set<std::string> videos;
    for (const std::string& row : rows) videos.insert(row.substr(row.rfind('/') + 1));
    EXPECT_EQ(videos.size(), rows.size());
    FindFileWorker worker;
    EXPECT_EQ(find(worker, at("M/missing.mp4")), Rows{});
}

TEST_F(SearchWorkersTest, ASearchEndsWithTheRowsItHasAtTheRowCap) {
    for (int i = 0; i < 5; ++i) tree_.write("V/Trip " + std::to_string(i) + ".mp4", "x");
    exe_.write("SearchFolder1.vrl", lines({at("V"), at("V")}));
    EXPECT_EQ(rowsOf([&](const SearchContext& context) { searchFileNames(u"Trip", context); }, 3).size(), 3u);
    EXPECT_EQ(search("Trip").size(), 10u) << "without the cap each line is searched";
}

// The rows a one-at-a-time walk finds: depth first, folders and files in enumeration order.
void walkInEnumerationOrder(const std::u16string& folder, Rows* rows) {
    std::vector<std::u16string> subFolders;
    platform::enumerateFolderNames(folder, [&](const platform::DirEntry& entry) {
        if (entry.isFolder) {
            subFolders.push_back(entry.name);
        } else {
            rows->push_back(platform::toUtf8(folder) + "/" + platform::toUtf8(entry.name));
        }
        return true;
    });
    for (const std::u16string& name : subFolders) walkInEnumerationOrder(folder + u"/" + name, rows);
}

TEST_F(SearchWorkersTest, FoldersReadAheadGiveTheRowsInWalkOrderAndTheCapStopsTheThreads) {
    test::makeQuietShows(at("Q/Part 1"), 60, 10);
    test::makeQuietShows(at("Q/Part 2"), 60, 10);
    test::quietFolders(at("Q"));
    exe_.write("SearchFolder1.vrl", lines({at("Q")}));
    Rows expected;
    walkInEnumerationOrder(platform::fromUtf8(at("Q")), &expected);
    ASSERT_EQ(expected.size(), 1200u);

    EXPECT_EQ(search(""), expected);
    for (const std::size_t cap : {1u, 15u, 700u}) {
        const Rows rows = rowsOf([&](const SearchContext& context) { searchFileNames(u"", context); }, cap);
        EXPECT_EQ(rows, Rows(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(cap)));
    }
}

// A disk as slow as a network share: each request of a walk waits a round trip, and those the
// request's own thread makes are counted.
std::atomic<std::thread::id> walkThread;
std::atomic<int> walkRequests{0};

void slowRequest(platform::FolderRequest) {
    if (std::this_thread::get_id() == walkThread.load()) ++walkRequests;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TEST_F(SearchWorkersTest, OnASlowDiskAWalksThreadAsksNothingOfTheFoldersItsThreadsRead) {
    test::makeQuietShows(at("Q/Part 1"), 60, 10);
    test::makeQuietShows(at("Q/Part 2"), 60, 10);
    test::quietFolders(at("Q"));
    exe_.write("SearchFolder1.vrl", lines({at("Q")}));
    constexpr int kFolders = 123;
    // Until its threads start, after four slow reads, the walk opens, reads and (the finder)
    // looks the name up itself; the finder also looks in the request's own folder first.
    constexpr int kBeforeTheThreads = 4 * 3 + 2;
    FindFileWorker worker;
    const std::pair<const char*, std::function<Rows()>> walks[] = {
        {"CM_SEARCH_FILE", [&] { return search("Episode 1"); }},
        {"CM_FIND_FILE of a name nowhere", [&] { return find(worker, "/moved/Nowhere.mp4"); }},
        {"CM_FIND_FILE", [&] { return find(worker, "/moved/Episode 9.mp4"); }},
        {"CM_GETDIR", [&] { return getDir(platform::fromUtf8(at("Q/Part 2"))); }},
    };
    for (const auto& [name, walk] : walks) {
        SCOPED_TRACE(name);
        const Rows quick = walk();
        walkThread = std::this_thread::get_id();
        walkRequests = 0;
        platform::setFolderRequestHook(slowRequest);
        const Rows slow = walk();
        platform::setFolderRequestHook(nullptr);
        EXPECT_EQ(slow, quick);
        // At most one request a folder, and none for those its threads read: well under one.
        EXPECT_LE(walkRequests.load(), kBeforeTheThreads + kFolders / 2);
    }
}

TEST_F(SearchWorkersTest, GetDirFlagsSubFoldersThatHaveSubFolders) {
    tree_.makeFolder("Top/A");
    tree_.makeFolder("Top/B/x");
    tree_.makeFolder("Top/$RECYCLE.BIN/y");
    tree_.write("Top/A/file.mp4", "x");
    tree_.write("Top/video.mp4", "x");

    EXPECT_EQ(sorted(getDir(platform::fromUtf8(at("Top")))), (Rows{"0 0 A | A", "1 0 B | B"}));
    EXPECT_EQ(getDir(platform::fromUtf8(at("Top/A"))), Rows{});
    EXPECT_EQ(getDir(platform::fromUtf8(at("Nope"))), Rows{});
}

TEST_F(SearchWorkersTest, ComputerListsThePcFolderListWithTheDrivesInPlaceOfStorage) {
    const std::string longPath = "D:/" + std::string(900, 'm');
    exe_.write("PCFolderList.vrl", lines({"#name \"PC\"", "D:/Movies", "#sc \"My Shows\"", "#sc Shows",
                                          "#cmd (Storage)", "#cmd Refresh", "#cmd", longPath, "#end", "E:/Never"}));
    Rows expected = {"1 2 D:/Movies | D:/Movies", "1 3 My Shows | My Shows", "1 3 Shows | Shows"};
    const std::vector<platform::DriveInfo> drives = platform::listDrives();
    ASSERT_FALSE(drives.empty());
    for (const platform::DriveInfo& drive : drives) {
        expected.push_back(text({drive.root, FolderRow{driveDisplayName(drive), 1, kDriveRow}}));
    }
    expected.push_back("0 4 Refresh | Refresh");
    expected.push_back("1 2 " + longPath + " | " + longPath);

    EXPECT_EQ(getDir(std::u16string(kComputerFolder)), expected);
    EXPECT_EQ(driveDisplayName({u"C:/", u"System"}), u"C:[System]");
    EXPECT_EQ(driveDisplayName({u"D:/", u""}), u"D:");
}

}  // namespace
}  // namespace tvr::search
