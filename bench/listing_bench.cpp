// SPDX-License-Identifier: MIT
// Lists a tree of 100,000 video files in 1,000 folders over a real connection and compares the
// time with `find TREE -type f -printf '%T@ %p\n' | sort` on the same tree, page cache warm.
// With --links: lists a tree of 10,000 folders whose every leaf holds a link back to the root,
// and the same tree without the links; the walk that enters each folder once must stay under
// twice the time of the plain one.
// Usage: listing_bench [tree folder (generated when missing)] [sort_name]
//        listing_bench --links [folder for the two trees]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/control_client.h"
#include "core/clock.h"
#include "core/paths.h"
#include "core/text.h"
#include "protocol/control_server.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;

void generateTree(const fs::path& root) {
    if (fs::exists(root / "done")) return;
    std::printf("generating %d files in %s ...\n", kFolders * kFilesPerFolder, root.c_str());
    for (int f = 0; f < kFolders; ++f) {
        fs::path folder = root / ("Series " + std::to_string(f));
        fs::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            std::ofstream(folder / ("Episode#" + std::to_string(i) + " some longer title part.mp4"));
        }
    }
    std::ofstream(root / "done");
}

// 100 folders of 100 folders, one video in each; with links, every leaf links back to the root.
void generateFolderTree(const fs::path& root, bool links) {
    if (fs::exists(root / "done")) return;
    std::printf("generating 10,000 folders%s in %s ...\n", links ? " with links to the root" : "", root.c_str());
    for (int a = 0; a < 100; ++a) {
        for (int b = 0; b < 100; ++b) {
            fs::path folder = root / ("Group " + std::to_string(a)) / ("Show " + std::to_string(b));
            fs::create_directories(folder);
            std::ofstream(folder / "ep.mp4");
            if (links) fs::create_directory_symlink(root, folder / "back to root");
        }
    }
    std::ofstream(root / "done");
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A server whose channel 2 is a playlist naming one folder, and a connected headset.
class ListingRun {
public:
    ListingRun(const fs::path& root, int sortName) {
        fs::path work = fs::temp_directory_path() / "tvr-listing-bench";
        fs::create_directories(work);
        tvr::core::setDataFolder(tvr::platform::fromUtf8(work.string()));
        std::ofstream(work / "bench.vrl") << root.string() << "\n";
        tvr::core::Config config = tvr::core::defaultConfig();
        config.channels[2].path = u"bench.vrl";
        if (!server_.startListening(0, config, 0x7F000001)) std::exit(3);
        if (!client_.connect("127.0.0.1", server_.port(), 2000) ||
            !client_.sendTexts({tvr::client::ControlClient::setupMessage()}) || !client_.receiveReply(&reply_, 5000)) {
            std::exit(3);
        }
        request_ = tvr::core::format(u"#CMD_GET_CHANNEL(<ch>2,<sort_name>%d)", {sortName});
    }
    // One listing in ms; files tells how many entries it sent.
    double listOnce() {
        auto start = Clock::now();
        if (!client_.sendTexts({request_}) || !client_.receiveReply(&reply_, 60000) || !reply_.ok) std::exit(1);
        files = reply_.entries().size();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    double medianOfFive() {
        listOnce();
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) times.push_back(listOnce());
        return median(times);
    }

    std::size_t files = 0;

private:
    tvr::library::LibraryState library_;
    tvr::protocol::ControlServer server_{tvr::core::SystemClock::instance(), nullptr, library_};
    tvr::client::ControlClient client_;
    tvr::client::Reply reply_;
    std::u16string request_;
};

int linkBench(const fs::path& base) {
    generateFolderTree(base / "plain", false);
    generateFolderTree(base / "linked", true);
    double plain = 0;
    double linked = 0;
    std::size_t plainFiles = 0;
    std::size_t linkedFiles = 0;
    {
        ListingRun run(base / "plain", 0);
        plain = run.medianOfFive();
        plainFiles = run.files;
    }
    {
        ListingRun run(base / "linked", 0);
        linked = run.medianOfFive();
        linkedFiles = run.files;
    }
    std::printf("10,000 folders without links: %zu files, median %.1f ms\n", plainFiles, plain);
    std::printf("the same with 10,000 links back to the root: %zu files, median %.1f ms\n", linkedFiles, linked);
    std::printf("ratio: %.2f (target under 2)\n", linked / plain);
    return linkedFiles == plainFiles ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--links") {
        return linkBench(argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "tvr-link-trees");
    }
    fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "tvr-listing-tree";
    int sortName = argc > 2 ? std::atoi(argv[2]) : 0;
    generateTree(root);
    ListingRun session(root, sortName);
    auto listOnce = [&session] { return session.listOnce(); };
    std::string findCommand = "find '" + root.string() + "' -type f -printf '%T@ %p\\n' | sort >/dev/null";
    auto findOnce = [&] {
        auto start = Clock::now();
        if (std::system(findCommand.c_str()) != 0) std::exit(1);
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    listOnce();
    findOnce();
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int run = 0; run < 5; ++run) {
        ours.push_back(listOnce());
        theirs.push_back(findOnce());
    }
    double listing = median(ours);
    double find = median(theirs);
    std::printf("files listed: %zu (sort_name %d)\n", session.files, sortName);
    std::printf("listing over the connection: median %.1f ms\n", listing);
    std::printf("find | sort:                 median %.1f ms\n", find);
    std::printf("ratio: %.2f (target at most 1.5)\n", listing / find);
    return 0;
}
