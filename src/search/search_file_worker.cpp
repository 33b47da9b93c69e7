// SPDX-License-Identifier: MIT
#include "search/search_file_worker.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "core/paths.h"
#include "search/folder_walk.h"
#include "search/list_walk.h"

namespace tvr::search {

namespace {

class NameSearch {
public:
    NameSearch(std::u16string_view text, const SearchContext& context) : text_(text), context_(context) {}

    // False when the request stops (cancel).
    bool searchFolder(const std::u16string& folder, bool once) {
        // Every walk descends, so a folder already searched was searched with its whole tree.
        const bool visited = visited_.contains(folder);
        if (visited && once) return true;
        if (!ancestors_.enter(folder)) return true;
        context_.results.setProgress(folder);
        std::vector<std::u16string> subFolders;
        std::u16string row;
        platform::enumerateFolderNames(folder, [&](const platform::DirEntry& entry) {
            if (context_.cancelled()) return false;
            if (entry.isFolder) {
                if (isWalkedFolder(entry)) subFolders.push_back(entry.name);
            } else if (entry.name.find(text_) != std::u16string::npos &&
                       context_.settings.extensions.isAccepted(entry.name)) {
                row = folder;
                core::appendPath(row, entry.name);
                context_.results.add(std::move(row));
            }
            return true;
        });
        if (!visited) visited_.insert(folder);
        bool goOn = true;
        std::u16string child;
        for (const std::u16string& name : subFolders) {
            if (context_.cancelled()) {
                goOn = false;
                break;
            }
            child = folder;
            core::appendPath(child, name);
            if (!searchFolder(child, once)) {
                goOn = false;
                break;
            }
        }
        ancestors_.leave();
        return goOn && !context_.cancelled();
    }

private:
    std::u16string text_;
    const SearchContext& context_;
    std::unordered_set<std::u16string> visited_;  // exact texts, as the lists name them
    AncestorGuard ancestors_;
};

}  // namespace

void searchFileNames(std::u16string_view text, const SearchContext& context) {
    NameSearch search(text, context);
    walkListFile(context.settings.config.searchFolder1, false, context,
                 [&search](const std::u16string& folder, bool once) { return search.searchFolder(folder, once); });
}

}  // namespace tvr::search
