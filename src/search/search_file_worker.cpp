// SPDX-License-Identifier: MIT
#include "search/search_file_worker.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "core/paths.h"
#include "library/folder_read_ahead.h"
#include "library/folder_walk.h"
#include "search/list_walk.h"

namespace tvr::search {

namespace {

class NameSearch {
public:
    NameSearch(std::u16string_view text, const SearchContext& context)
        : text_(text),
          context_(context),
          walk_([&context] { return context.stopped(); }),
          readAhead_(false, library::FolderReadAhead::Start::kWhenSlow, [this] { return walk_.shouldStop(); }) {}

    // A folder a list names starts a tree of its own. False when the request stops.
    bool searchTree(const std::u16string& folder, bool once) {
        walk_.beginTree();
        return searchFolder(folder, once);
    }
    /// The names that matched but whose extension is not a video's.
    const library::SkippedFiles& skipped() const { return skipped_; }

private:
    bool searchFolder(const std::u16string& folder, bool once) {
        // Every walk descends, so a folder already searched was searched with its whole tree.
        const bool visited = visited_.contains(folder);
        if (visited && once) return true;
        switch (walk_.enter([&](platform::FileIdentity* identity) { return readAhead_.open(folder, identity); })) {
            case library::WalkStep::kEnter:
                break;
            case library::WalkStep::kSkip:
                return true;
            case library::WalkStep::kStop:
                return false;
        }
        context_.results.setProgress(folder);
        std::vector<std::u16string> subFolders;
        std::u16string row;
        const auto keep = [&](const platform::DirEntry& entry) {
            if (walk_.shouldStop()) return false;
            if (entry.isFolder) {
                if (library::isWalkedFolder(entry)) subFolders.push_back(entry.name);
            } else if (entry.name.find(text_) != std::u16string::npos) {
                if (!context_.settings.extensions.isAccepted(entry.name)) {
                    skipped_.add(entry.name);
                    return true;
                }
                row = folder;
                core::appendPath(row, entry.name);
                context_.results.add({std::move(row)});
            }
            return true;
        };
        readAhead_.readOpened(keep, nullptr);
        if (!visited) visited_.insert(folder);
        readAhead_.announceSubFolders(folder, subFolders);
        for (const std::u16string& path : subFolders) {
            if (!searchFolder(path, once)) return false;
        }
        return !walk_.shouldStop();
    }

    std::u16string text_;
    const SearchContext& context_;
    library::FolderWalk walk_;
    library::FolderReadAhead readAhead_;
    std::unordered_set<std::u16string> visited_;  // exact texts, as the lists name them ("#once")
    library::SkippedFiles skipped_;
};

}  // namespace

void searchFileNames(std::u16string_view text, const SearchContext& context) {
    NameSearch search(text, context);
    walkListFile(context.settings.config.searchFolder1, false, context,
                 [&search](const std::u16string& folder, bool once) { return search.searchTree(folder, once); });
    context.results.setSkipped(search.skipped());
}

}  // namespace tvr::search
