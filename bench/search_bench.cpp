// SPDX-License-Identifier: MIT
// The search engine against `find` on the same trees, page cache warm:
// - a name search over 100,000 files in 1,000 folders vs `find TREE -name '*TEXT*'` (target <= 1.2x);
// - get-dir of a folder with 1,000 sub-folders vs `find FOLDER -mindepth 1 -maxdepth 2 -type d` (<= 2x);
// - cancel latency on the 100,000-file tree (median below 100 ms);
// - find-file of a file in the remembered folder: file tests (one) and round trip (below 1 ms).
// Times run from the start call until isFinished() answers 1. Usage: search_bench [work folder]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "platform/utf.h"
#include "search/find_file_worker.h"
#include "search/search_engine.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tvr::search::SearchEngine;
using tvr::search::SearchSettings;

extern char** environ;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kSubFolders = 1000;
constexpr int kRuns = 7;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Links to one file per folder: a tree of 100,000 files is made in seconds instead of minutes.
void generateTree(const fs::path& root) {
    if (fs::exists(root / "done")) return;
    std::printf("generating %d files in %s ...\n", kFolders * kFilesPerFolder, root.c_str());
    for (int f = 0; f < kFolders; ++f) {
        fs::path folder = root / ("Series " + std::to_string(f));
        fs::create_directories(folder);
        fs::path original = folder / "Episode 0 some longer title part.mp4";
        std::ofstream(original).put('\n');
        for (int i = 1; i < kFilesPerFolder; ++i) {
            fs::create_hard_link(original, folder / ("Episode " + std::to_string(i) + " some longer title part.mp4"));
        }
    }
    std::ofstream(root / "done");
}

// 1,000 sub-folders with a few files each; every second one has a sub-folder of its own.
void generateFolders(const fs::path& root) {
    if (fs::exists(root / "done")) return;
    for (int f = 0; f < kSubFolders; ++f) {
        fs::path folder = root / ("Folder " + std::to_string(f));
        fs::create_directories(folder);
        for (int i = 0; i < 5; ++i) std::ofstream(folder / ("clip " + std::to_string(i) + ".mp4"));
        if (f % 2 == 1) fs::create_directories(folder / "Extras");
    }
    std::ofstream(root / "done");
}

double timeFind(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return ms(end - start);
}

void waitFinished(const SearchEngine& engine) {
    while (engine.isFinished() == 0) std::this_thread::yield();
}

template <typename Start>
double timeRequest(SearchEngine& engine, Start start) {
    const auto begin = Clock::now();
    start();
    waitFinished(engine);
    return ms(Clock::now() - begin);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "tvr-search-bench";
    const fs::path tree = work / "tree";
    const fs::path folders = work / "folders";
    generateTree(tree);
    generateFolders(folders);
    tvr::core::setDataFolder(tvr::platform::fromUtf8(work.string()));
    std::ofstream(work / "SearchFolder1.vrl") << tree.string() << "\n";

    SearchSettings settings{tvr::core::defaultConfig(), {}};
    settings.config.searchFolder1 = u"SearchFolder1.vrl";
    settings.extensions.build(u"mp4 avi mkv");
    auto engine = SearchEngine::create();
    if (!engine) return 3;

    const std::u16string text = u"Episode 7";
    const std::vector<std::string> findName = {"find", tree.string(), "-name", "*Episode 7*"};
    std::vector<double> ours;
    std::vector<double> theirs;
    timeFind(findName);  // warms the cache
    for (int i = 0; i < kRuns; ++i) {
        ours.push_back(timeRequest(*engine, [&] { engine->startSearchFile(text, settings); }));
        theirs.push_back(timeFind(findName));
    }
    std::printf("search 100,000 files: %.1f ms (%d rows), find -name: %.1f ms, ratio %.2f (target <= 1.2)\n",
                median(ours), engine->rowCount(), median(theirs), median(ours) / median(theirs));

    const std::u16string folder16 = tvr::platform::fromUtf8(folders.string());
    const std::vector<std::string> findDirs = {"find", folders.string(), "-mindepth", "1", "-maxdepth",
                                               "2",    "-type",          "d"};
    ours.clear();
    theirs.clear();
    timeFind(findDirs);
    for (int i = 0; i < kRuns * 3; ++i) {
        ours.push_back(timeRequest(*engine, [&] { engine->startGetDir(folder16, settings); }));
        theirs.push_back(timeFind(findDirs));
    }
    std::printf(
        "get-dir of 1,000 sub-folders: %.2f ms (%d rows), find -maxdepth 2 -type d: %.2f ms, ratio %.2f "
        "(target <= 2)\n",
        median(ours), engine->rowCount(), median(theirs), median(ours) / median(theirs));

    std::mt19937 random(9);
    std::vector<double> latencies;
    for (int i = 0; i < 15; ++i) {
        engine->startSearchFile(u"", settings);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        const auto cancelAt = Clock::now();
        engine->requestCancel();
        waitFinished(*engine);
        latencies.push_back(ms(Clock::now() - cancelAt));
    }
    std::printf("cancel latency: median %.3f ms, worst %.3f ms (target median < 100 ms)\n", median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));

    // The worker alone tells how many candidate paths it tested.
    tvr::search::FindFileWorker worker;
    tvr::search::SearchResults results;
    std::atomic<bool> cancel{false};
    const tvr::search::SearchContext context{settings, results, cancel};
    const std::string moved = (work / "Moved" / "Series 500").string();
    worker.run(tvr::platform::fromUtf8(moved + "/Episode 1 some longer title part.mp4"), context);
    const std::uint64_t firstTests = worker.fileTests();
    worker.run(tvr::platform::fromUtf8(moved + "/Episode 2 some longer title part.mp4"), context);
    std::printf("find-file: first lookup %llu file tests, next in the remembered folder %llu (target 1)\n",
                static_cast<unsigned long long>(firstTests), static_cast<unsigned long long>(worker.fileTests()));

    const std::u16string next = tvr::platform::fromUtf8(moved + "/Episode 3 some longer title part.mp4");
    engine->startFindFile(tvr::platform::fromUtf8(moved + "/Episode 1 some longer title part.mp4"), settings);
    waitFinished(*engine);
    std::vector<double> trips;
    for (int i = 0; i < 200; ++i) trips.push_back(timeRequest(*engine, [&] { engine->startFindFile(next, settings); }));
    std::printf("find-file round trip in the remembered folder: median %.3f ms (%d row; target < 1 ms)\n",
                median(trips), engine->rowCount());
    return 0;
}
