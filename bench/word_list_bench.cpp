// SPDX-License-Identifier: MIT
// CM_WORDLIST_LOAD on an unchanged 10,000-word file must cost one time check and no read. The
// bench times a full read against unchanged loads, then empties the file behind the list's back
// (its write time put back) and checks that unchanged loads still see all 10,000 words, which
// they could not if they read the file.
// Usage: word_list_bench [loads]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "stores/word_list.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kIds = 1000;
constexpr int kWordsPerId = 10;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const fs::path work = fs::temp_directory_path() / "tvr-word-list-bench";
    fs::create_directories(work);
    const fs::path file = work / "WordList.txt";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "\xEF\xBB\xBF#start\r\n";
        for (int id = 0; id < kIds; ++id) {
            out << "#dat\t\"id" << id << "\"";
            for (int w = 0; w < kWordsPerId; ++w) out << " \"word" << id << '-' << w << "\"";
            out << "\r\n";
        }
        out << "#end\r\n";
    }
    const std::u16string path = tvr::platform::fromUtf8(file.string());

    tvr::stores::WordList list;
    list.setPath(path);
    const auto readStart = Clock::now();
    if (!list.loadWordList() || list.size() != kIds * kWordsPerId) return 2;
    const double fullRead = microseconds(Clock::now() - readStart);

    // The list must not notice new bytes under an unchanged write time.
    tvr::platform::FileTimes times;
    if (!tvr::platform::getFileTimes(path, &times)) return 3;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "#start\r\n#end\r\n";
    if (!tvr::platform::setFileTimes(path, times)) return 3;

    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(loads));
    for (int i = 0; i < loads; ++i) {
        const auto start = Clock::now();
        list.loadWordList();
        samples.push_back(microseconds(Clock::now() - start));
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const bool unread = list.size() == kIds * kWordsPerId;
    std::printf("word list of %d words: first load %.0f us; unchanged load median %.2f us over %d loads\n",
                kIds * kWordsPerId, fullRead, median, loads);
    std::printf("unchanged loads read the file: %s (target: no)\n", unread ? "no" : "yes");
    fs::remove_all(work);
    return unread ? 0 : 1;
}
