// SPDX-License-Identifier: MIT
#pragma once
// Pieces every tree walk of the workers shares: which sub-folders are walked, and the guard
// that keeps a link to an ancestor folder from making a walk endless.
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tvr::search {

/// True for a sub-folder a walk enters: "$" folders are system folders such as the recycle bin.
inline bool isWalkedFolder(const platform::DirEntry& entry) {
    return entry.isFolder && !entry.name.empty() && entry.name.front() != u'$';
}

/// The folders of the current walk path by identity; a folder already on the path is a loop.
class AncestorGuard {
public:
    /// Enters the folder; false when it is already on the path (it must then not be walked).
    bool enter(std::u16string_view folder);
    /// Leaves the folder entered last (only after enter returned true).
    void leave();

private:
    struct Step {
        platform::FileIdentity identity;
        bool known = false;
    };
    std::vector<Step> path_;
};

}  // namespace tvr::search
