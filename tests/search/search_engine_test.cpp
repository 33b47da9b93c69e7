// SPDX-License-Identifier: MIT
// The engine through its public operations, on a generated tree of 100,000 files that the
// search-folder list names many times over, so a full search walks two million entries.
#include "search/search_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::search {
namespace {

using namespace std::chrono_literals;

// A small tree named often by the list: one full search walks two million entries, far longer
// than any wait below, while the suite makes only 10,000 links (under Wine about 1 ms each).
constexpr int kFolders = 10;
constexpr int kFilesPerFolder = 1000;
constexpr int kTreeRepeats = 200;

class SearchEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree_ = new test::TempFolder();
        // Links to one file per folder are far quicker to make than as many new files.
        for (int f = 0; f < kFolders; ++f) {
            const std::string folder = "Show " + std::to_string(f);
            tree_->write(folder + "/Episode 0.mp4", "");
            const std::string original = tree_->file(folder + "/Episode 0.mp4");
            for (int i = 1; i < kFilesPerFolder; ++i) {
                std::filesystem::create_hard_link(original,
                                                  tree_->file(folder + "/Episode " + std::to_string(i) + ".mp4"));
            }
        }
    }
    static void TearDownTestSuite() {
        delete tree_;
        tree_ = nullptr;
    }

    void SetUp() override {
        dataFolder_.set(exe_.path16());
        std::string list;
        for (int i = 0; i < kTreeRepeats; ++i) list += tree_->path() + "\n";
        exe_.write("SearchFolder1.vrl", list);
        engine_ = SearchEngine::create();
        ASSERT_NE(engine_, nullptr);
    }

    static SearchSettings settings() {
        core::Config config = core::defaultConfig();
        config.searchFolder1 = u"SearchFolder1.vrl";
        config.extensions = u"mp4";
        return makeSearchSettings(config);
    }

    // Polls like the headset; false when the condition did not come true within the limit.
    template <typename Condition>
    static bool waitUntil(Condition condition, std::chrono::milliseconds limit = 30s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    bool waitFinished(std::chrono::milliseconds limit = 30s) const {
        return waitUntil([this] { return engine_->isFinished() == 1; }, limit);
    }
    bool waitForRows() const {
        return waitUntil([this] { return engine_->rowCount() > 0; });
    }

    static test::TempFolder* tree_;
    test::TempFolder exe_;
    std::unique_ptr<SearchEngine> engine_;
    test::DataFolderScope dataFolder_;
};

test::TempFolder* SearchEngineTest::tree_ = nullptr;

TEST_F(SearchEngineTest, SearchRunsToTheEndAndIsReadInWindows) {
    EXPECT_EQ(engine_->isFinished(), 1);
    EXPECT_EQ(engine_->rowCount(), 0);
    exe_.write("SearchFolder1.vrl", tree_->path() + "\n#once\n" + tree_->path() + "\n");

    // This search is short: on a busy machine it may end before the first question.
    engine_->startSearchFile(u"Episode 7", settings());
    ASSERT_TRUE(waitFinished());
    EXPECT_EQ(engine_->progress(), u"");

    // "Episode 7.mp4", "Episode 70.mp4" to "Episode 79.mp4" and "Episode 700.mp4" to
    // "Episode 799.mp4" in every folder, once.
    const std::int32_t count = engine_->rowCount();
    ASSERT_EQ(count, kFolders * 111);
    std::set<std::u16string> seen;
    for (std::int32_t first = 0; first < count; first += 7) {
        const std::vector<SearchRow> window = engine_->rows(first, 100);
        ASSERT_EQ(window.size(), static_cast<std::size_t>(std::min(32, count - first)));
        for (const SearchRow& row : window) seen.insert(row.path);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(count));
    EXPECT_TRUE(seen.contains(platform::fromUtf8(tree_->file("Show 4/Episode 75.mp4"))));
    EXPECT_TRUE(engine_->rows(-1, 5).empty());
    EXPECT_TRUE(engine_->rows(0, 0).empty());
    EXPECT_TRUE(engine_->rows(count, 5).empty());
}

TEST_F(SearchEngineTest, CancelEndsALongSearchAndKeepsItsRows) {
    engine_->startSearchFile(u"", settings());
    ASSERT_TRUE(waitForRows());
    EXPECT_EQ(engine_->isFinished(), 0);
    EXPECT_FALSE(engine_->progress().empty());
    engine_->requestCancel();
    ASSERT_TRUE(waitFinished(5s));

    const std::int32_t kept = engine_->rowCount();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kFolders * kFilesPerFolder * kTreeRepeats);
    EXPECT_EQ(engine_->rows(kept - 1, 1).size(), 1u);
}

TEST_F(SearchEngineTest, AStartDuringASearchGivesTheRowsOfTheNewRequest) {
    engine_->startSearchFile(u"", settings());
    ASSERT_TRUE(waitForRows());
    // A listing of ten folders may be over before isFinished could be asked, so only its rows tell.
    engine_->startGetDir(tree_->path16(), settings());
    ASSERT_TRUE(waitFinished());

    ASSERT_EQ(engine_->rowCount(), kFolders);
    for (const SearchRow& row : engine_->rows(0, 32)) {
        EXPECT_TRUE(row.path.starts_with(u"Show ") && row.folder && row.folder->type == kSubFolderRow)
            << platform::toUtf8(row.path);
    }

    // The find worker keeps its folder across requests of other kinds.
    engine_->startFindFile(tree_->file16("Moved/Episode 5.mp4"), settings());
    ASSERT_TRUE(waitFinished());
    ASSERT_EQ(engine_->rowCount(), 1);
    const std::u16string found = engine_->rows(0, 1).front().path;
    EXPECT_TRUE(found.ends_with(u"/Episode 5.mp4")) << platform::toUtf8(found);
}

TEST_F(SearchEngineTest, ShutdownDuringASearchEndsPromptly) {
    engine_->startSearchFile(u"", settings());
    ASSERT_TRUE(waitForRows());
    const auto before = std::chrono::steady_clock::now();
    engine_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
}

}  // namespace
}  // namespace tvr::search
