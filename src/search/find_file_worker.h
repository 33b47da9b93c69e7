// SPDX-License-Identifier: MIT
#pragma once
// Finds one file by name when the path the headset remembers no longer exists: first in the
// folder of the last hit, then in the remembered folder's tree, then along the search-folder list.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "library/folder_read_ahead.h"
#include "library/folder_walk.h"
#include "search/search_context.h"

namespace tvr::search {

class FindFileWorker {
public:
    /// Looks for the name of path; appends at most one row, the full path of the first hit.
    void run(std::u16string_view path, const SearchContext& context);
    /// The folder of the last hit (kept across requests); empty before the first hit.
    const std::u16string& lastFolder() const { return lastFolder_; }
    /// How many candidate paths the last run tested.
    std::uint64_t fileTests() const { return fileTests_; }

private:
    // The folder of the last hit, then the remembered folder's tree, then the list's trees.
    void search(const std::u16string& rememberedFolder);
    // True when the request ends here: found, or stopped.
    bool lookIn(const std::u16string& folder, bool descend);
    // lookIn with descending, as a tree of its own.
    bool lookInTree(const std::u16string& folder);

    std::u16string lastFolder_;
    std::u16string name_;
    const SearchContext* context_ = nullptr;
    std::optional<library::FolderWalk> walk_;  // the running request's
    std::optional<library::FolderReadAhead> readAhead_;
    std::uint64_t fileTests_ = 0;
};

}  // namespace tvr::search
