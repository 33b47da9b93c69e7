// SPDX-License-Identifier: MIT
#include "library/folder_read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

// Who reads the first of the watched folders, through the read-ahead's enumeration hook: the
// walk's thread or a read-ahead thread. A held watch keeps each read-ahead thread at the first
// entry of its watched folder until every watched folder has a thread of its own; the thread of
// the first then waits for the stop and takes 20 ms an entry, so that the stop finds it mid-folder.
struct WatchCounts {
    int walk = 0;       // entries read on the walk's thread
    int threads = 0;    // entries read on read-ahead threads
    int afterStop = 0;  // of those, read after the stop
};

class ReadWatch {
public:
    ReadWatch(std::vector<std::u16string> folders, bool hold) {
        std::lock_guard lock(mutex_);
        folders_ = std::move(folders);
        entered_.assign(folders_.size(), false);
        hold_ = hold;
        walk_ = std::this_thread::get_id();
        counts_ = {};
        stopping_ = false;
        FolderReadAhead::setEnumerationHook(&onEntry);
    }
    ~ReadWatch() {
        FolderReadAhead::setEnumerationHook(nullptr);
        stop();
    }
    ReadWatch(const ReadWatch&) = delete;
    ReadWatch& operator=(const ReadWatch&) = delete;

    /// Waits until every watched folder has a read-ahead thread at its first entry.
    bool waitHeld(std::chrono::seconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [] { return allEntered(); });
    }
    /// Lets the held thread of the first folder go on.
    static void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
    }
    WatchCounts counts() const {
        std::lock_guard lock(mutex_);
        return counts_;
    }

private:
    static bool allEntered() { return std::find(entered_.begin(), entered_.end(), false) == entered_.end(); }
    static void onEntry(std::u16string_view folder) {
        std::unique_lock lock(mutex_);
        const auto index =
            static_cast<std::size_t>(std::find(folders_.begin(), folders_.end(), folder) - folders_.begin());
        if (index == folders_.size()) return;
        if (std::this_thread::get_id() == walk_) {
            counts_.walk += index == 0 ? 1 : 0;
            return;
        }
        if (index == 0) {
            ++counts_.threads;
            counts_.afterStop += stopping_ ? 1 : 0;
        }
        if (!entered_[index]) {
            entered_[index] = true;
            changed_.notify_all();
        }
        if (!hold_) return;
        changed_.wait_for(lock, std::chrono::seconds(60), [] { return allEntered(); });
        if (index != 0) return;
        changed_.wait_for(lock, std::chrono::seconds(60), [] { return stopping_; });
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    static inline std::mutex mutex_;
    static inline std::condition_variable changed_;
    static inline std::vector<std::u16string> folders_;
    static inline std::vector<bool> entered_;
    static inline bool hold_ = false;
    static inline std::thread::id walk_;
    static inline WatchCounts counts_;
    static inline bool stopping_ = false;
};

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
    EXPECT_FALSE(readAhead.waitReady(kWindow + 1, 500ms)) << "the threads read beyond the window";
    // The walk enters shows one by one: each it passes brings the next into the window, and a
    // waiting thread reads it.
    constexpr std::size_t kRounds = 8;
    for (std::size_t s = 0; s < kRounds; ++s) {
        bool readable = false;
        EXPECT_EQ(readThrough(readAhead, shows[s], true, &readable).size(), 2u) << s;
        EXPECT_TRUE(readAhead.waitReady(kWindow, 10s)) << "no thread read on after the walk passed show " << s;
    }
    // The walk leaves out two shows of three, as a walk leaves out folders it has been in; the
    // ones it passed must not keep the threads from reading ahead of where it is now.
    for (std::size_t s = kRounds + 2; s <= kRounds + kWindow; s += 3) {
        bool readable = false;
        EXPECT_EQ(readThrough(readAhead, shows[s], true, &readable).size(), 2u) << s;
    }
    EXPECT_TRUE(readAhead.waitReady(kWindow, 30s));
}

// A folder written a moment ago may change again within one time stamp: the threads leave it to
// the walk, which reads it as it is.
TEST(FolderReadAheadTest, AFolderWrittenJustNowIsReadByTheWalkItself) {
    test::TempFolder temp;
    temp.write("Fresh/a.mp4", "x");
    temp.write("Fresh/b.mp4", "x");
    ReadWatch watch({temp.file16("Fresh")}, false);
    FolderReadAhead readAhead(true, FolderReadAhead::Start::kAtOnce);
    readAhead.announce({temp.file16("Fresh")});
    ASSERT_TRUE(readAhead.waitReady(1, 30s)) << "a thread has looked at the folder";
    bool readable = false;
    EXPECT_EQ(readThrough(readAhead, temp.file16("Fresh"), true, &readable), enumerated(temp.file16("Fresh"), true));
    EXPECT_TRUE(readable);
    EXPECT_EQ(watch.counts().threads, 0) << "a read-ahead thread read a folder written just now";
    EXPECT_EQ(watch.counts().walk, 2);
}

// The end of a walk (its headset left, the server stops) ends the read-ahead at once: a thread
// mid-folder leaves it at the next entry, and the threads that wait for work end too.
TEST(FolderReadAheadTest, DestroyingItEndsAThreadMidFolderAndTheThreadsThatWait) {
    test::TempFolder temp;
    constexpr int kEntries = 256;  // paced to 20 ms each once the stop came: 5 s for the whole folder
    for (int i = 0; i < kEntries; ++i) temp.write("Big/" + std::to_string(i) + ".mp4", "");
    temp.write("A/a.mp4", "x");
    temp.write("B/b.mp4", "x");
    test::quietFolders(temp.path());
    auto readAhead = std::make_unique<FolderReadAhead>(false, FolderReadAhead::Start::kAtOnce);
    // Gone first: a failed assertion lets the threads go.
    ReadWatch watch({temp.file16("Big"), temp.file16("A"), temp.file16("B")}, true);
    readAhead->announce({temp.file16("Big"), temp.file16("A"), temp.file16("B")});
    ASSERT_TRUE(watch.waitHeld(30s)) << "a thread of its own in each folder";
    ASSERT_TRUE(readAhead->waitReady(2, 30s)) << "the small folders are read: their two threads wait for work";

    auto ended = std::make_shared<std::promise<void>>();
    std::future<void> destroyed = ended->get_future();
    std::thread destroyer([ended, owned = std::move(readAhead)]() mutable {
        ReadWatch::stop();
        owned.reset();
        ended->set_value();
    });
    if (destroyed.wait_for(20s) != std::future_status::ready) {
        destroyer.detach();  // a thread never woken keeps it in the join
        FAIL() << "the read-ahead did not end within 20 s";
    }
    destroyer.join();
    EXPECT_LT(watch.counts().afterStop, kEntries / 2) << "the thread read on through the folder after the stop";
}

}  // namespace
}  // namespace tvr::library
