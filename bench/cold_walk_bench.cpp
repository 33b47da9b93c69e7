// SPDX-License-Identifier: MIT
// Walks of a large library, cold (page cache, dentries and inodes dropped before each run) and
// warm, over a real connection to the server executable: the playlist listing of the whole tree
// in name order (which reads no file's time) and in date order (which reads every file's time),
// CM_SEARCH_FILE and CM_FIND_FILE (of a name nowhere) over it and CM_GETDIR of a folder of
// shows, side by side with `find -printf '%T@ %p\n' | sort` and
// `fdfind -j8 --changed-within 100y` (both read every file's time; the second in parallel, the
// floor a disk allows), and for the searches also `find -name`. Each order is also put beside the
// references that do its work: by name (no file's time) `find -type f | sort` and
// `fdfind -j8 -t f | sort`, by date `fdfind -j8 --changed-within 100y | sort`. A walk's time
// runs from the request to the last record of its answer. The server's peak memory during each of its runs
// comes from /proc (VmHWM, reset before the run). A reference server (another build) is
// measured the same way in the same run, one server at a time.
//
// Usage: cold_walk_bench <tamvikvr-server> <work folder> <files (a multiple of 10,000)> [runs]
//        [reference server]
// Cold figures need the right to write /proc/sys/vm/drop_caches (root); without it they are
// skipped, saying so. fdfind figures are skipped when fdfind is not installed.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "client/control_client.h"
#include "core/text.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "protocol/wire.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern char** environ;

namespace {

constexpr int kFilesPerShow = 100;
constexpr int kShowsPerGroup = 100;
constexpr int kReplyTimeoutMs = 600000;
// One file per show matches: "Episode 42 " is no prefix of another name.
constexpr char16_t kSearchText[] = u"Episode 42 ";

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Groups of 100 shows of 100 empty videos each: files / 10,000 groups.
void generateTree(const fs::path& root, int files) {
    if (fs::exists(root / "done")) return;
    std::printf("generating %d empty videos in %s ...\n", files, root.c_str());
    std::fflush(stdout);
    const int groups = files / (kFilesPerShow * kShowsPerGroup);
    for (int g = 0; g < groups; ++g) {
        for (int s = 0; s < kShowsPerGroup; ++s) {
            const fs::path show = root / ("Group " + std::to_string(g)) / ("Show " + std::to_string(s));
            fs::create_directories(show);
            for (int i = 0; i < kFilesPerShow; ++i) {
                const std::string name = (show / ("Episode " + std::to_string(i) + " some title.mp4")).string();
                const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0) ::close(fd);
            }
        }
    }
    std::ofstream(root / "done");
}

bool canDropCaches() { return ::access("/proc/sys/vm/drop_caches", W_OK) == 0; }

void dropCaches() {
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

// Runs a shell command with its output thrown away; its time in ms.
double timeShell(const std::string& command) {
    const auto start = Clock::now();
    if (std::system((command + " >/dev/null").c_str()) != 0) std::exit(1);
    return ms(Clock::now() - start);
}

// The server executable in a folder of its own, channel 2 a playlist of the tree, the search
// folder list the tree; and a headset connected to it.
class Server {
public:
    Server(const fs::path& binary, const fs::path& install, const fs::path& tree) {
        fs::create_directories(install);
        fs::copy_file(binary, install / "tamvikvr-server", fs::copy_options::overwrite_existing);
        const std::uint16_t port = freePort();
        std::ofstream(install / "TamvikVRServer.ini")
            << "[Config]\r\niPortServer=" << port << "\r\niPortHttp=" << freePort() << "\r\n";
        std::ofstream(install / "ch3.vrl") << tree.string() << "\n";
        std::ofstream(install / "SearchFolder1.vrl") << tree.string() << "\n";
        const std::string exe = (install / "tamvikvr-server").string();
        const std::string log = (install / "console.txt").string();
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const bool spawned = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned) std::exit(3);
        for (int i = 0; i < 200 && !client_.connect("127.0.0.1", port, 100); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        tvr::client::Reply reply;
        if (!client_.sendTexts({tvr::client::ControlClient::setupMessage()}) || !client_.receiveReply(&reply, 5000)) {
            std::exit(3);
        }
    }
    ~Server() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    // The playlist listing of the tree in the headset's order (0 by name, 1 by date and time):
    // the time until its last record arrived, in ms; files gets how many files it sent.
    double list(int sortName, std::size_t* files) {
        tvr::client::Reply reply;
        const std::u16string request = tvr::core::format(u"#CMD_GET_CHANNEL(<ch>2,<sort_name>%d)", {sortName});
        const auto start = Clock::now();
        if (!client_.sendTexts({request}) || !client_.receiveReply(&reply, kReplyTimeoutMs) || !reply.ok) {
            std::exit(1);
        }
        const double took = ms(Clock::now() - start);
        *files = 0;
        for (const auto& record : reply.records) *files += record.entries.size();
        return took;
    }
    // CM_SEARCH_FILE over the tree: the time until it reported finished, in ms; rows gets how
    // many rows it found.
    double search(std::int32_t* rows) {
        const double took = runSearch(u"CM_SEARCH_FILE", kSearchText);
        *rows = value(command(u"CM_SEARCH_GETNUM"));
        return took;
    }
    // One search command, polled as the headset polls it: the time until it reported finished.
    double runSearch(std::u16string_view name, std::u16string argument) {
        const auto start = Clock::now();
        if (!command(name, std::move(argument)).ok) std::exit(1);
        while (value(command(u"CM_SEARCH_ISFINISHED")) != 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ms(Clock::now() - start);
    }
    // CM_FIND_FILE for a name the tree does not hold, so that it walks the whole search-folder
    // list: the time until it reported finished, in ms.
    double findMissing() { return runSearch(u"CM_FIND_FILE", u"/moved/Episode 100 some title.mp4"); }
    // CM_GETDIR of a folder of 100 shows, each looked into for a folder below it: the time until
    // it reported finished, in ms.
    double listShows(const fs::path& group) { return runSearch(u"CM_GETDIR", tvr::platform::fromUtf8(group.string())); }
    // Forgets the peak so far: the next peakKib() is the peak from now on.
    void resetPeak() const { std::ofstream("/proc/" + std::to_string(pid_) + "/clear_refs") << "5\n"; }
    long peakKib() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
        }
        return -1;
    }

private:
    static std::uint16_t freePort() {
        const tvr::platform::SocketHandle probe = tvr::platform::tcpListen({0x7F000001, 0}, 1);
        const std::uint16_t port = tvr::platform::localEndpoint(probe).port;
        tvr::platform::closeSocket(probe);
        return port;
    }
    tvr::client::Reply command(std::u16string_view name, std::u16string a0 = u"") {
        const std::u16string args[4] = {std::move(a0), u"", u"", u""};
        tvr::client::Reply reply;
        if (!client_.sendCommand(name, args) || !client_.receiveReply(&reply, kReplyTimeoutMs)) std::exit(1);
        return reply;
    }
    static std::int32_t value(const tvr::client::Reply& reply) {
        for (const auto& record : reply.records)
            if (record.type == tvr::protocol::kResult) return record.result.value;
        return -1;
    }

    pid_t pid_ = 0;
    tvr::client::ControlClient client_;
};

struct Figures {
    std::vector<double> cold;
    std::vector<double> warm;
    long peakKib = 0;
};

// Cold runs (each after a drop) and warm runs (after one warm-up) of one walk, which returns its
// own time in ms (what it reads after its end is not the walk's).
Figures measure(const std::function<double()>& walk, int runs, bool cold, const Server* server) {
    Figures figures;
    auto timed = [&] {
        if (server != nullptr) server->resetPeak();
        const double took = walk();
        if (server != nullptr) figures.peakKib = std::max(figures.peakKib, server->peakKib());
        return took;
    };
    for (int i = 0; cold && i < runs; ++i) {
        dropCaches();
        figures.cold.push_back(timed());
    }
    walk();
    for (int i = 0; i < runs; ++i) figures.warm.push_back(timed());
    return figures;
}

void printRow(const char* what, const Figures& f, bool cold) {
    char coldText[32] = "skipped";
    if (cold) std::snprintf(coldText, sizeof coldText, "%.0f ms", median(f.cold));
    std::printf("  %-44s cold %10s   warm %8.0f ms", what, coldText, median(f.warm));
    if (f.peakKib > 0) std::printf("   server peak %.1f MiB", static_cast<double>(f.peakKib) / 1024.0);
    std::printf("\n");
}

void printRatio(const char* what, const Figures& ours, const Figures& theirs, bool cold, double coldTarget,
                double warmTarget) {
    std::printf("  %-44s", what);
    if (cold && coldTarget > 0)
        std::printf(" cold %.2f (target <= %.1f)", median(ours.cold) / median(theirs.cold), coldTarget);
    if (warmTarget > 0)
        std::printf("  warm %.2f (target <= %.1f)", median(ours.warm) / median(theirs.warm), warmTarget);
    std::printf("\n");
}

// The server's three walks, each cold and warm; one server runs at a time.
struct ServerFigures {
    Figures byName;
    Figures byDate;
    Figures search;
    Figures find;
    Figures getDir;
    std::size_t listed = 0;
    std::int32_t found = 0;
};

ServerFigures measureServer(const fs::path& binary, const fs::path& install, const fs::path& tree, int runs,
                            bool cold) {
    Server server(binary, install, tree);
    ServerFigures f;
    f.byName = measure([&] { return server.list(0, &f.listed); }, runs, cold, &server);
    f.byDate = measure([&] { return server.list(1, &f.listed); }, runs, cold, &server);
    f.search = measure([&] { return server.search(&f.found); }, runs, cold, &server);
    f.find = measure([&] { return server.findMissing(); }, runs, cold, &server);
    f.getDir = measure([&] { return server.listShows(tree / "Group 0"); }, runs, cold, &server);
    return f;
}

void printChange(const char* what, const Figures& ours, const Figures& reference, bool cold) {
    std::printf("  %-44s", what);
    if (cold) std::printf(" cold %.2f", median(ours.cold) / median(reference.cold));
    std::printf("  warm %.2f\n", median(ours.warm) / median(reference.warm));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: cold_walk_bench <tamvikvr-server> <work folder> <files> [runs] [reference server]\n");
        return 2;
    }
    const fs::path binary = fs::absolute(argv[1]);
    const fs::path work = fs::absolute(argv[2]);
    const int files = std::atoi(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const fs::path reference = argc > 5 ? fs::absolute(argv[5]) : fs::path();
    if (files < kFilesPerShow * kShowsPerGroup || files % (kFilesPerShow * kShowsPerGroup) != 0) return 2;
    const fs::path tree = work / ("tree-" + std::to_string(files));
    generateTree(tree, files);
    const bool cold = canDropCaches();
    const bool haveFd = std::system("command -v fdfind >/dev/null") == 0;
    if (!cold) std::printf("cold figures skipped: /proc/sys/vm/drop_caches is not writable (needs root)\n");
    if (!haveFd) std::printf("fdfind figures skipped: fdfind is not installed (Debian package fd-find)\n");

    const ServerFigures ours = measureServer(binary, work / "install", tree, runs, cold);
    ServerFigures before;
    if (!reference.empty()) before = measureServer(reference, work / "install-reference", tree, runs, cold);
    const std::string quoted = "'" + tree.string() + "'";
    // Each order beside the walks that do the same work: names alone, or every file's time.
    const Figures findNames =
        measure([&] { return timeShell("find " + quoted + " -type f | sort"); }, runs, cold, nullptr);
    const Figures findSort =
        measure([&] { return timeShell("find " + quoted + " -printf '%T@ %p\\n' | sort"); }, runs, cold, nullptr);
    const Figures findName =
        measure([&] { return timeShell("find " + quoted + " -name '*" + tvr::platform::toUtf8(kSearchText) + "*'"); },
                runs, cold, nullptr);
    Figures fd;
    Figures fdNames;
    Figures fdSort;
    if (haveFd) {
        fd = measure([&] { return timeShell("fdfind -j8 --changed-within 100y . " + quoted); }, runs, cold, nullptr);
        fdNames = measure([&] { return timeShell("fdfind -j8 -t f . " + quoted + " | sort"); }, runs, cold, nullptr);
        fdSort = measure([&] { return timeShell("fdfind -j8 --changed-within 100y . " + quoted + " | sort"); }, runs,
                         cold, nullptr);
    }

    std::printf("%d empty videos in %d folders; median of %d runs, caches %s\n", files,
                files / kFilesPerShow + files / (kFilesPerShow * kShowsPerGroup) + 1, runs,
                cold ? "dropped before each cold run" : "not dropped");
    printRow(("playlist listing by name (" + std::to_string(ours.listed) + " files)").c_str(), ours.byName, cold);
    printRow("playlist listing by date", ours.byDate, cold);
    printRow(("CM_SEARCH_FILE (" + std::to_string(ours.found) + " rows)").c_str(), ours.search, cold);
    printRow("CM_FIND_FILE, a name nowhere", ours.find, cold);
    printRow("CM_GETDIR, 100 shows", ours.getDir, cold);
    if (!reference.empty()) {
        printRow("reference: playlist listing by name", before.byName, cold);
        printRow("reference: playlist listing by date", before.byDate, cold);
        printRow("reference: CM_SEARCH_FILE", before.search, cold);
        printRow("reference: CM_FIND_FILE, a name nowhere", before.find, cold);
        printRow("reference: CM_GETDIR, 100 shows", before.getDir, cold);
    }
    printRow("find -type f | sort", findNames, cold);
    printRow("find -printf '%T@ %p\\n' | sort", findSort, cold);
    printRow("find -name", findName, cold);
    if (haveFd) {
        printRow("fdfind -j8 -t f | sort", fdNames, cold);
        printRow("fdfind -j8 --changed-within 100y", fd, cold);
        printRow("fdfind -j8 --changed-within 100y | sort", fdSort, cold);
    }
    // Each order against the reference that does the same work: by name reads no file's time.
    printRatio("listing by name / find -type f | sort:", ours.byName, findNames, cold, 0, 0.8);
    printRatio("listing by date / find -printf | sort:", ours.byDate, findSort, cold, 0.5, 0.7);
    if (haveFd) {
        printRatio("listing by name / fdfind -t f | sort:", ours.byName, fdNames, cold, 0.8, 0);
        printRatio("listing by date / fdfind --changed | sort:", ours.byDate, fdSort, cold, 0.8, 0.8);
    }
    printRatio("search / find -name:", ours.search, findName, cold, 0.5, 0);
    printChange("find / find -name:", ours.find, findName, cold);
    if (!reference.empty()) {
        printChange("listing by name / reference:", ours.byName, before.byName, cold);
        printChange("listing by date / reference:", ours.byDate, before.byDate, cold);
        printChange("search / reference:", ours.search, before.search, cold);
        printChange("find / reference:", ours.find, before.find, cold);
        printChange("getdir / reference:", ours.getDir, before.getDir, cold);
    }
    std::printf("  server peak memory: %.1f MiB (target under 32 MiB at 1,000,000 files)\n",
                static_cast<double>(
                    std::max({ours.byName.peakKib, ours.byDate.peakKib, ours.search.peakKib, ours.find.peakKib})) /
                    1024.0);
    return 0;
}
