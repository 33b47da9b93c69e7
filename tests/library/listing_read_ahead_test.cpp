// SPDX-License-Identifier: MIT
// Channel listings over trees whose folders the read-ahead reads: the same answer as without it,
// and a headset that leaves while its threads read ends the listing there.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "library/channel_listing.h"
#include "platform/open_folder.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/quiet_tree.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

constexpr int kShows = 150;
constexpr int kVideos = 20;

// Keeps what a listing says; leaves after it has been told of `stay` folders.
class HeadsetSink : public ListingSink {
public:
    explicit HeadsetSink(std::size_t stay = SIZE_MAX) : stay_(stay) {}
    void root(std::u16string_view path) override { say("root " + platform::toUtf8(path)); }
    void folder(int depth, std::u16string_view path) override {
        ++folders_;
        say("folder " + std::to_string(depth) + " " + platform::toUtf8(path));
    }
    void beginFiles() override { say("begin"); }
    void addFile(std::uint16_t, std::u16string_view folder, std::u16string_view name) override {
        say(platform::toUtf8(folder) + " | " + platform::toUtf8(name));
    }
    void endFiles() override { say("end"); }
    void end(std::int64_t count) override { say("total " + std::to_string(count)); }
    bool abandoned() override {
        left_ = left_ || folders_ >= stay_;
        return left_;
    }

    std::vector<std::string> events;
    std::size_t saidAfterLeaving = 0;

private:
    void say(std::string event) {
        if (left_) ++saidAfterLeaving;
        events.push_back(std::move(event));
    }

    std::size_t stay_;
    std::size_t folders_ = 0;
    bool left_ = false;
};

// A disk as slow as a network share: each request of a walk waits a round trip, and those the
// listing's own thread makes are counted.
std::atomic<std::thread::id> walkThread;
std::atomic<int> walkRequests{0};

void slowRequest(platform::FolderRequest) {
    if (std::this_thread::get_id() == walkThread.load()) ++walkRequests;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class ListingReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder_.set(exe_.path16());
        extensions_.build(u"mp4");
        test::makeQuietShows(tree_.path(), kShows, kVideos);
        exe_.write("ch3.vrl", tree_.path() + "\n");
        config_.channels[2] = core::ChannelConfig{core::kChannelPlaylist, u"ch3.vrl"};
    }

    int list(HeadsetSink& sink, SortRequest sort = {}) {
        ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, sink};
        return lister_.listChannel(2, sort, context);
    }

    test::TempFolder exe_;
    test::DataFolderScope dataFolder_;
    test::TempFolder tree_;
    core::Config config_;
    core::ExtensionTable extensions_;
    stores::MarkerStore markers_;
    ListFile searchList_;
    ListFile favoriteList_;
    ChannelLister lister_{kMaxWalkFolders, FolderReadAhead::Start::kAtOnce};
};

TEST_F(ListingReadAheadTest, AHeadsetLeavingWhileTheThreadsReadEndsTheListingAndTheNextIsWholeAndInOrder) {
    for (const std::size_t stay : {1u, 2u, 3u, 40u}) {
        SCOPED_TRACE(stay);
        HeadsetSink leaving(stay);
        EXPECT_EQ(list(leaving), 0);
        EXPECT_EQ(leaving.saidAfterLeaving, 0u);
    }
    HeadsetSink readAhead;
    ASSERT_EQ(list(readAhead, {kSortByDate, 0, 1}), 1);
    EXPECT_EQ(readAhead.events.back(), "total " + std::to_string(kShows * kVideos));

    // Folders written a moment ago are never read ahead: the walk reads each itself.
    test::ageFolders(tree_.path(), 0);
    HeadsetSink direct;
    ASSERT_EQ(list(direct, {kSortByDate, 0, 1}), 1);
    EXPECT_EQ(readAhead.events, direct.events);
}

TEST_F(ListingReadAheadTest, OnASlowDiskTheListingsThreadAsksNothingOfTheFoldersItsThreadsReadAndAnswersTheSame) {
    // The first folder is the walk's own to open and read; every other one, its kind, identity,
    // stamp and entries, comes with what the threads read, and the walk asks for it itself only
    // when no thread had started it yet: at most one request a folder, and well under one.
    constexpr int kMostRequests = 2 + kShows / 2;
    for (const std::int32_t order : {kSortByName, kSortByDate}) {
        SCOPED_TRACE(order);
        const SortRequest sort{order, 1, 1};
        HeadsetSink quick;
        ASSERT_EQ(list(quick, sort), 1);

        walkThread = std::this_thread::get_id();
        walkRequests = 0;
        platform::setFolderRequestHook(slowRequest);
        HeadsetSink slow;
        const int result = list(slow, sort);
        platform::setFolderRequestHook(nullptr);
        ASSERT_EQ(result, 1);
        EXPECT_EQ(slow.events, quick.events);
        EXPECT_LE(walkRequests.load(), kMostRequests);
    }
}

}  // namespace
}  // namespace tvr::library
