// SPDX-License-Identifier: MIT
#include "core/extension_filter.h"

#include <algorithm>

#include "core/path_parts.h"
#include "core/text.h"
#include "platform/case_fold.h"

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
    // Asked once per file a walk meets: the extension (from the last dot of the last name, after
    // any drive) is found from the end and compared in place, folded unit by unit.
    const std::size_t nameFloor = path.size() >= 2 && path[1] == u':' ? 2 : 0;
    std::u16string_view extension;
    for (std::size_t i = path.size(); i > nameFloor && !isSeparator(path[i - 1]); --i) {
        if (path[i - 1] == u'.') {
            extension = path.substr(i - 1);
            break;
        }
    }
    const auto sameFolded = [extension](const std::u16string& entry) {
        if (entry.size() != extension.size()) return false;
        for (std::size_t i = 0; i < entry.size(); ++i) {
            if (platform::detail::foldCase(extension[i]) != entry[i]) return false;
        }
        return true;
    };
    return std::any_of(entries_.begin(), entries_.end(), sameFolded);
}

}  // namespace tvr::core
