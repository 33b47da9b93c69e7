// SPDX-License-Identifier: MIT
#include "core/extension_filter.h"

#include "core/paths.h"
#include "core/text.h"

namespace tvr::core {

void ExtensionTable::build(std::u16string_view setting) {
    // Every single space separates, so doubled, leading or trailing spaces give empty tokens
    // whose entry is the lone "."; long tokens are kept whole.
    std::vector<std::u16string> entries;
    std::size_t start = 0;
    for (;;) {
        std::size_t space = setting.find(u' ', start);
        std::u16string_view token =
            setting.substr(start, space == std::u16string_view::npos ? std::u16string_view::npos : space - start);
        entries.push_back(toLower(u"." + std::u16string(token)));
        if (space == std::u16string_view::npos) break;
        start = space + 1;
    }
    entries_ = std::move(entries);
}

bool ExtensionTable::isAccepted(std::u16string_view path) const {
    if (entries_.empty()) return false;
    std::u16string extension = toLower(splitPath(path).ext);
    for (const std::u16string& entry : entries_) {
        if (entry == extension) return true;
    }
    return false;
}

}  // namespace tvr::core
