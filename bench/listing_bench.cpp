// SPDX-License-Identifier: MIT
// Lists a tree of 100,000 video files in 1,000 folders over a real connection and compares the
// time with `find TREE -type f -printf '%T@ %p\n' | sort` on the same tree, page cache warm.
// Usage: listing_bench [tree folder (generated when missing)] [sort_name]
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "tvr-listing-tree";
    int sortName = argc > 2 ? std::atoi(argv[2]) : 0;
    generateTree(root);
    fs::path work = fs::temp_directory_path() / "tvr-listing-bench";
    fs::create_directories(work);
    tvr::core::setExecutableFolder(tvr::platform::fromUtf8(work.string()));
    std::ofstream(work / "bench.vrl") << root.string() << "\n";

    tvr::core::Config config = tvr::core::defaultConfig();
    config.channels[2].path = u"bench.vrl";
    tvr::library::LibraryState library;
    tvr::protocol::ControlServer server(tvr::core::SystemClock::instance(), nullptr, library);
    if (!server.startListening(0, config, 0x7F000001)) return 3;
    tvr::client::ControlClient client;
    tvr::client::Reply reply;
    if (!client.connect("127.0.0.1", server.port(), 2000) ||
        !client.sendTexts({tvr::client::ControlClient::setupMessage()}) || !client.receiveReply(&reply, 5000)) {
        return 3;
    }
    std::u16string request = tvr::core::format(u"#CMD_GET_CHANNEL(<ch>2,<sort_name>%d)", {sortName});
    std::size_t files = 0;
    auto listOnce = [&] {
        auto start = Clock::now();
        if (!client.sendTexts({request}) || !client.receiveReply(&reply, 60000) || !reply.ok) std::exit(1);
        files = reply.entries().size();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
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
    std::printf("files listed: %zu (sort_name %d)\n", files, sortName);
    std::printf("listing over the connection: median %.1f ms\n", listing);
    std::printf("find | sort:                 median %.1f ms\n", find);
    std::printf("ratio: %.2f (target at most 1.5)\n", listing / find);
    return 0;
}
