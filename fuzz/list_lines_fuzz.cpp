// SPDX-License-Identifier: MIT
// A list file (".vrl") with any content: its lines and its "#name" are read as the channel
// listing reads them.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "library/list_file.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::TempFolder& folder = fuzz::tempFolder();
    folder.write("fuzz.vrl", std::string_view(reinterpret_cast<const char*>(data), size));
    std::u16string path = folder.file("fuzz.vrl");

    std::vector<std::u16string> lines;
    check(library::readListLines(path, &lines));
    for (const std::u16string& line : lines) {
        check(!line.empty() && line.find(u'\n') == std::u16string::npos);
    }

    std::u16string name;
    int found = library::getListName(&name, path);
    if (found == 1) {
        check(name.find(u'"') == std::u16string::npos);
    } else {
        check(found == 0);
    }

    library::ListFile list;
    list.bind(0, library::kSearchList, path);
    check(list.load());
    for (const library::ListFileEntry& entry : list.entries()) {
        check(!entry.path.empty() && entry.path.front() != u'#' && entry.path.find(u'\\') == std::u16string::npos);
    }
    return 0;
}
