// SPDX-License-Identifier: MIT
#include "library/channel_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/link_maze.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

using Events = std::vector<std::string>;

// Keeps what a listing says, in order, as short readable lines.
class RecordingSink : public ListingSink {
public:
    void root(std::u16string_view path) override { events.push_back("root " + platform::toUtf8(path)); }
    void folder(int depth, std::u16string_view path) override {
        events.push_back("folder " + std::to_string(depth) + " " + platform::toUtf8(path));
    }
    void beginFiles() override { events.push_back("begin"); }
    void addFile(std::uint16_t marker, std::u16string_view folder, std::u16string_view name) override {
        events.push_back("entry " + std::to_string(marker) + " " + platform::toUtf8(folder) + " | " +
                         platform::toUtf8(name));
    }
    void endFiles() override { events.push_back("end"); }
    void end(std::int64_t count) override { events.push_back("total " + std::to_string(count)); }
    bool abandoned() override { return false; }

    Events events;
};

class ChannelListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder_.set(exe_.path16());
        extensions_.build(u"mp4 avi");
        tree_.write("a.mp4", "x");
        tree_.write("B.MP4", "x");
        tree_.write("notes.txt", "x");
        tree_.write("Disc 10/d10.mp4", "x");
        tree_.write("Disc 2/d2.avi", "x");
        tree_.write("Disc 2/Extras/e.mp4", "x");
        tree_.write("$RECYCLE.BIN/gone.mp4", "x");
        tree_.makeFolder("Empty/Deeper");
    }

    void setChannel(int ch, std::int32_t type, const std::u16string& path) {
        config_.channels[static_cast<std::size_t>(ch)] = core::ChannelConfig{type, path};
    }
    int list(std::int32_t ch, SortRequest sort = {}) {
        sink_.events.clear();
        ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, sink_};
        return lister_.listChannel(ch, sort, context);
    }
    std::string root() const { return tree_.path(); }

    test::TempFolder exe_;
    test::TempFolder tree_;
    core::Config config_;
    core::ExtensionTable extensions_;
    stores::MarkerStore markers_;
    ListFile searchList_;
    ListFile favoriteList_;
    RecordingSink sink_;
    ChannelLister lister_;
    test::DataFolderScope dataFolder_;
};

TEST_F(ChannelListingTest, PcFolderListsOnlyItsOwnVideoFiles) {
    setChannel(1, core::kChannelPcFolder, tree_.path16());
    ASSERT_EQ(list(1), 1);
    EXPECT_EQ(sink_.events, (Events{
                                "root " + root(),
                                "folder 0 " + root(),
                                "begin",
                                "entry 0 " + root() + " | a.mp4",
                                "entry 0 " + root() + " | B.MP4",
                                "end",
                                "total 2",
                            }));
}

TEST_F(ChannelListingTest, FolderLineOfAPlaylistWalksTheTreeInNaturalOrder) {
    exe_.write("ch3.vrl", "#name Trip\n" + tree_.file("Disc 2") + "\n" + root() + "\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    ASSERT_EQ(list(2, SortRequest{0, 0, 1}), 1);
    const std::string list = exe_.file("ch3.vrl");
    EXPECT_EQ(sink_.events, (Events{
                                "root " + list,
                                "begin",
                                "end",
                                "folder 0 " + root() + "/Disc 2",
                                "begin",
                                "entry 0 " + root() + "/Disc 2 | d2.avi",
                                "end",
                                "folder 1 " + root() + "/Disc 2/Extras",
                                "begin",
                                "entry 0 " + root() + "/Disc 2/Extras | e.mp4",
                                "end",
                                "begin",
                                "end",
                                "folder 0 " + root(),
                                "begin",
                                "entry 0 " + root() + " | B.MP4",
                                "entry 0 " + root() + " | a.mp4",
                                "end",
                                "folder 1 " + root() + "/Disc 2",
                                "begin",
                                "entry 0 " + root() + "/Disc 2 | d2.avi",
                                "end",
                                "folder 2 " + root() + "/Disc 2/Extras",
                                "begin",
                                "entry 0 " + root() + "/Disc 2/Extras | e.mp4",
                                "end",
                                "folder 1 " + root() + "/Disc 10",
                                "begin",
                                "entry 0 " + root() + "/Disc 10 | d10.mp4",
                                "end",
                                "folder 1 " + root() + "/Empty",
                                "folder 2 " + root() + "/Empty/Deeper",
                                "begin",
                                "end",
                                "total 7",
                            }));
}

TEST_F(ChannelListingTest, FileLinesAreSentAsWrittenUntilEnd) {
    exe_.write("ch4.vrl",
               "\xEF\xBB\xBF#name \"My list\"\r\nC:\\Videos\\a.mp4\r\n#once\r\n\r\nC:\\Videos\\b.txt\r\n"
               "D:/Other/c.mkv\r\n#end\r\nC:\\Videos\\after.mp4\r\n");
    setChannel(3, core::kChannelPlaylist, u"ch4.vrl");
    ASSERT_EQ(list(3), 1);
    EXPECT_EQ(sink_.events, (Events{
                                "root " + exe_.file("ch4.vrl"),
                                "begin",
                                "entry 0 C:/Videos | a.mp4",
                                "entry 0 C:/Videos | b.txt",
                                "entry 0 D:/Other | c.mkv",
                                "end",
                                "total 3",
                            }));
}

TEST_F(ChannelListingTest, MissingFolderLineStillGetsItsDirLine) {
    exe_.write("ch5.vrl", tree_.file("nowhere") + "\n");
    setChannel(4, core::kChannelPlaylist, u"ch5.vrl");
    ASSERT_EQ(list(4), 1);
    EXPECT_EQ(sink_.events, (Events{
                                "root " + exe_.file("ch5.vrl"),
                                "begin",
                                "end",
                                "folder 0 " + root() + "/nowhere",
                                "begin",
                                "end",
                                "total 0",
                            }));
}

TEST_F(ChannelListingTest, ChannelsThatDoNotResolveSayNothing) {
    setChannel(0, core::kChannelVrDevice, u"(DeviceVide)");
    setChannel(1, core::kChannelPcFolder, u"(Computer)");
    setChannel(2, core::kChannelPlaylist, u"missing.vrl");
    setChannel(7, core::kChannelPcFolder, tree_.path16());
    for (std::int32_t ch : {0, 1, 2, 8, -1, 1000}) {
        EXPECT_EQ(list(ch), 0) << ch;
        EXPECT_TRUE(sink_.events.empty()) << ch;
    }
}

TEST_F(ChannelListingTest, SortRequestOrdersEachFolder) {
    tree_.write("Show#2.mp4", "x");
    tree_.write("Show#1.mp4", "x");
    test::setModificationTime(tree_.file("a.mp4"), 1'500'000'000);
    test::setModificationTime(tree_.file("B.MP4"), 1'600'000'000);
    test::setModificationTime(tree_.file("Show#1.mp4"), 1'400'000'000);
    test::setModificationTime(tree_.file("Show#2.mp4"), 1'700'000'000);
    setChannel(1, core::kChannelPcFolder, tree_.path16());
    ASSERT_EQ(list(1, SortRequest{1, 0, 1}), 1);
    EXPECT_EQ(sink_.events, (Events{
                                "root " + root(),
                                "folder 0 " + root(),
                                "begin",
                                "entry 0 " + root() + " | Show#1.mp4",
                                "entry 0 " + root() + " | Show#2.mp4",
                                "entry 0 " + root() + " | B.MP4",
                                "entry 0 " + root() + " | a.mp4",
                                "end",
                                "total 4",
                            }));
}

TEST_F(ChannelListingTest, NamesEqualButForCaseAreOrderedByTheirFilesTimes) {
    test::TempFolder twins;
    twins.write("clip.mp4", "x");
    twins.write("CLIP.mp4", "x");
    twins.write("Clip.mp4", "x");
    std::size_t files = 0;
    platform::enumerateFolderNames(
        twins.path16(), [&](const platform::DirEntry&) { return ++files > 0; }, nullptr);
    if (files != 3) GTEST_SKIP() << "this file system does not tell names apart by case";
    test::setModificationTime(twins.file("Clip.mp4"), 1'500'000'060);
    test::setModificationTime(twins.file("clip.mp4"), 1'500'000'000);
    test::setModificationTime(twins.file("CLIP.mp4"), 1'500'000'030);
    setChannel(1, core::kChannelPcFolder, twins.path16());
    const struct {
        SortRequest sort;
        std::vector<std::string> order;
    } cases[] = {
        {{0, 1, 1}, {"clip.mp4", "CLIP.mp4", "Clip.mp4"}},
        {{0, 1, 0}, {"Clip.mp4", "CLIP.mp4", "clip.mp4"}},
        {{1, 1, 1}, {"clip.mp4", "CLIP.mp4", "Clip.mp4"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(list(1, c.sort), 1);
        Events expected{"root " + twins.path(), "folder 0 " + twins.path(), "begin"};
        for (const std::string& name : c.order) expected.push_back("entry 0 " + twins.path() + " | " + name);
        expected.insert(expected.end(), {"end", "total 3"});
        EXPECT_EQ(sink_.events, expected) << c.sort.sortMode2nd;
    }
}

TEST_F(ChannelListingTest, MarkerStateTwoForUnreadMarkerFiles) {
    test::TempFolder markerFolder;
    markerFolder.write("a.trm", "");
    markers_.scanMarkerFolder(markerFolder.path16());
    exe_.write("ch3.vrl", "C:\\Videos\\a.mp4\nC:\\Videos\\c.mp4\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    setChannel(3, core::kChannelPcFolder, tree_.path16());

    ASSERT_EQ(list(3), 1);
    EXPECT_EQ(sink_.events.at(3), "entry 2 " + root() + " | a.mp4");
    EXPECT_EQ(sink_.events.at(4), "entry 0 " + root() + " | B.MP4");
    ASSERT_EQ(list(2), 1);
    EXPECT_EQ(sink_.events.at(2), "entry 2 C:/Videos | a.mp4");
    EXPECT_EQ(sink_.events.at(3), "entry 0 C:/Videos | c.mp4");
}

TEST_F(ChannelListingTest, ListingTheBoundListRemembersItsFileTime) {
    exe_.write("search.vrl", "#name (Search)\nC:/Videos/a.mp4\n#end\n");
    setChannel(6, core::kChannelSearchList, u"search.vrl");
    searchList_.bind(6, kSearchList, u"search.vrl");
    favoriteList_.bind(7, kFavoriteList, u"search.vrl");
    ASSERT_TRUE(searchList_.hasChangedOnDisk());
    ASSERT_EQ(list(6), 1);
    EXPECT_FALSE(searchList_.hasChangedOnDisk());
    EXPECT_TRUE(favoriteList_.hasChangedOnDisk());
    EXPECT_EQ(sink_.events.at(2), "entry 0 C:/Videos | a.mp4");
}

TEST_F(ChannelListingTest, RepeatedRequestsGiveTheSameAnswer) {
    exe_.write("ch3.vrl", root() + "\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    ASSERT_EQ(list(2), 1);
    const Events first = sink_.events;
    ASSERT_EQ(list(2), 1);
    EXPECT_EQ(sink_.events, first);
    EXPECT_EQ(first.back(), "total 5");
}

std::size_t countStarting(const Events& events, const std::string& prefix) {
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.starts_with(prefix); }));
}

// Gives up on the answer after a number of folder lines, as a headset that leaves mid-listing.
class LeavingSink : public RecordingSink {
public:
    explicit LeavingSink(std::size_t dirs) : dirs_(dirs) {}
    bool abandoned() override { return countStarting(events, "folder ") >= dirs_; }

private:
    std::size_t dirs_;
};

TEST_F(ChannelListingTest, EachLineListsEveryFolderItReachesOnceWhateverTheLinks) {
    test::TempFolder maze;
    constexpr int kLevels = 12;
    if (!test::makeLinkMaze(maze.path(), kLevels)) GTEST_SKIP() << "this system refuses symbolic links to folders";
    exe_.write("ch3.vrl", maze.path() + "\n" + maze.path() + "/L3\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    ASSERT_EQ(list(2), 1);
    // From the root, and again from L3 (which reaches the root through the last level's link).
    EXPECT_EQ(countStarting(sink_.events, "folder "), 2u * (kLevels + 2));
    EXPECT_EQ(countStarting(sink_.events, "entry"), 2u * (kLevels + 1));
    EXPECT_EQ(sink_.events.back(), "total " + std::to_string(2 * (kLevels + 1)));
}

TEST_F(ChannelListingTest, AnAbandonedListingEndsAtOnceAndTheFolderCapEndsOneWithWhatItSent) {
    exe_.write("ch3.vrl", root() + "\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    LeavingSink leaving(2);
    ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, leaving};
    EXPECT_EQ(lister_.listChannel(2, SortRequest{}, context), 0);
    EXPECT_EQ(countStarting(leaving.events, "folder "), 2u);
    EXPECT_EQ(countStarting(leaving.events, "total "), 0u);

    ChannelLister capped(2);
    ListingContext cappedContext{config_, extensions_, markers_, searchList_, favoriteList_, sink_};
    EXPECT_EQ(capped.listChannel(2, SortRequest{}, cappedContext), 1);
    EXPECT_TRUE(capped.notes().capped);
    EXPECT_EQ(countStarting(sink_.events, "folder "), 2u);
    EXPECT_EQ(sink_.events.back(), "total 3") << "a.mp4 and B.MP4 of the root, d2.avi of Disc 2";
}

// A headset that goes away at the sink's n-th question: from then on nothing more is built,
// whether the listing is walking folders, reading a folder, sorting or reading its list file.
class LeavingAtQuestionSink final : public RecordingSink {
public:
    explicit LeavingAtQuestionSink(std::size_t leaveAt) : leaveAt_(leaveAt) {}
    bool abandoned() override {
        if (questions_++ < leaveAt_) return false;
        if (eventsWhenLeft_ < 0) eventsWhenLeft_ = static_cast<std::ptrdiff_t>(events.size());
        return true;
    }
    std::size_t questions() const { return questions_; }
    std::ptrdiff_t eventsWhenLeft() const { return eventsWhenLeft_; }

private:
    std::size_t leaveAt_;
    std::size_t questions_ = 0;
    std::ptrdiff_t eventsWhenLeft_ = -1;
};

TEST_F(ChannelListingTest, AnAbandonedAnswerEndsTheListingWhereItIs) {
    for (int i = 0; i < 150; ++i) tree_.write("Many/clip#" + std::to_string(i) + ".mp4", "x");
    exe_.write("ch3.vrl", root() + "\n" + tree_.file("a.mp4") + "\n" + tree_.file("Many") + "\n");
    setChannel(2, core::kChannelPlaylist, u"ch3.vrl");
    const SortRequest byGroup{kSortByGroup, 1, 1};
    auto listWith = [&](LeavingAtQuestionSink& sink) {
        ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, sink};
        return lister_.listChannel(2, byGroup, context);
    };
    LeavingAtQuestionSink staying(SIZE_MAX);
    ASSERT_EQ(listWith(staying), 1);
    const std::size_t questions = staying.questions();
    ASSERT_GT(questions, 2u * 150) << "asked while reading and sorting each large folder";
    for (std::size_t leaveAt = 0; leaveAt < questions; leaveAt += 11) {
        SCOPED_TRACE(leaveAt);
        LeavingAtQuestionSink leaving(leaveAt);
        EXPECT_EQ(listWith(leaving), 0);
        ASSERT_GE(leaving.eventsWhenLeft(), 0);
        EXPECT_EQ(leaving.events.size(), static_cast<std::size_t>(leaving.eventsWhenLeft()))
            << "appended after the headset left: " << leaving.events.back();
    }
}

}  // namespace
}  // namespace tvr::library
