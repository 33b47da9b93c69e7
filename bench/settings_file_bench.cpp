// SPDX-License-Identifier: MIT
// A settings file padded with megabytes of empty lines must cost one pass, not a pass per line:
// the start (loading every key, writing the missing ones back) and each CM_INI_ command (one
// write and one read of a key) on a 10 MB file, in UTF-16LE with CR LF and in UTF-8 with LF,
// each within 0.5 s, and the whole run within 64 MB more memory than it started with.
// Usage: settings_file_bench [megabytes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings.h"
#include "platform/ini_file.h"
#include "platform/utf.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The process's peak resident memory so far, in MB (Linux; 0 where /proc is missing).
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024;
        }
    }
    return 0;
}

struct Shape {
    const char* name;
    std::string mark;
    std::string emptyLine;  // one empty line's bytes
    std::string (*encode)(const std::string& ascii);
};

std::string asIs(const std::string& ascii) { return ascii; }

std::string asUtf16Le(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 10;
    const fs::path work = fs::temp_directory_path() / "tvr-settings-file-bench";
    fs::create_directories(work);
    const Shape shapes[] = {
        {"UTF-16LE, CR LF", "\xFF\xFE", asUtf16Le("\r\n"), asUtf16Le},
        {"UTF-8, LF", "", "\n", asIs},
    };
    const double startPeak = peakMegabytes();
    bool withinTargets = true;
    for (const Shape& shape : shapes) {
        const fs::path file = work / "TamvikVRServer.ini";
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << shape.mark << shape.encode("[Config]\r\niPortServer=12000\r\n");
            std::string block;
            for (int i = 0; i < 4096; ++i) block += shape.emptyLine;
            for (std::size_t written = 0; written < megabytes << 20; written += block.size()) out << block;
        }
        const std::u16string path = tvr::platform::fromUtf8(file.string());

        auto begin = Clock::now();
        tvr::core::SettingsStore store(path);
        const bool loaded = store.load() && store.config().portServer == 12000;
        const double load = seconds(Clock::now() - begin);

        begin = Clock::now();
        std::u16string value;
        const bool edited = tvr::platform::iniWriteString(path, u"Client", u"rw.bench", u"1") &&
                            tvr::core::readString(path, u"Client", u"rw.bench", &value, 1040) && value == u"1";
        const double command = seconds(Clock::now() - begin);

        std::printf(
            "%zu MB of empty lines, %s: start %.3f s, one CM_INI_ write and read %.3f s (target: each < 0.5 s)\n",
            megabytes, shape.name, load, command);
        withinTargets = withinTargets && loaded && edited && load < 0.5 && command < 0.5;
    }
    const double growth = peakMegabytes() - startPeak;
    std::printf("peak memory growth %.0f MB (target: < 64 MB)\n", growth);
    fs::remove_all(work);
    return withinTargets && growth < 64 ? 0 : 1;
}
