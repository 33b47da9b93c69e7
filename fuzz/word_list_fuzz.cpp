// SPDX-License-Identifier: MIT
// The word list file with any content: the pairs read are unique and storable, and writing them
// and reading the file back gives the same pairs.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "stores/word_list.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::pair<std::u16string, std::u16string>> sortedPairs(const stores::WordList& list) {
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (std::size_t i = 0; i < list.size(); ++i) pairs.emplace_back(list.at(i).id, list.at(i).word);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::TempFolder& folder = fuzz::tempFolder();
    folder.write("WordList.txt", std::string_view(reinterpret_cast<const char*>(data), size));
    stores::WordList read;
    read.setPath(folder.file("WordList.txt"));
    check(read.loadWordList());
    const auto pairs = sortedPairs(read);
    check(std::adjacent_find(pairs.begin(), pairs.end()) == pairs.end());

    folder.write("Written.txt", "");  // no words left over from the previous input
    stores::WordList written;
    written.setPath(folder.file("Written.txt"));
    for (const auto& [id, word] : pairs) check(written.addWord(id, word));
    check(written.saveWordList());
    stores::WordList again;
    again.setPath(folder.file("Written.txt"));
    check(again.loadWordList());
    check(sortedPairs(again) == pairs);
    return 0;
}
