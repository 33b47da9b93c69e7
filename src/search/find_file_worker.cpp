// SPDX-License-Identifier: MIT
#include "search/find_file_worker.h"

#include <vector>

#include "core/paths.h"
#include "search/list_walk.h"

namespace tvr::search {

void FindFileWorker::run(std::u16string_view path, const SearchContext& context) {
    context_ = &context;
    fileTests_ = 0;
    const core::SplitResult parts = core::splitPath(path);
    name_ = parts.nameWithExt;
    if (name_.empty()) return;
    if (!context.cancelled() && !lastFolder_.empty() && lookIn(lastFolder_, false)) return;
    if (context.cancelled() || lookIn(parts.folder, true)) return;
    walkListFile(context.settings.config.searchFolder1, false, context,
                 [this](const std::u16string& folder, bool) { return !lookIn(folder, true); });
}

bool FindFileWorker::lookIn(const std::u16string& folder, bool descend) {
    // A request without a folder says nothing about where to look; the server's working folder
    // is no place the headset knows of.
    if (folder.empty()) return false;
    context_->results.setProgress(folder);
    std::u16string candidate = folder;
    core::appendPath(candidate, name_);
    ++fileTests_;
    if (platform::pathKind(candidate) == platform::PathKind::File) {
        lastFolder_ = folder;
        context_->results.add(std::move(candidate));
        return true;
    }
    if (!descend || !ancestors_.enter(folder)) return false;
    std::vector<std::u16string> subFolders;
    platform::enumerateFolderNames(folder, [&](const platform::DirEntry& entry) {
        if (context_->cancelled()) return false;
        if (isWalkedFolder(entry)) subFolders.push_back(entry.name);
        return true;
    });
    bool ended = false;
    std::u16string child;
    for (const std::u16string& name : subFolders) {
        if (context_->cancelled()) {
            ended = true;
            break;
        }
        child = folder;
        core::appendPath(child, name);
        if (lookIn(child, true)) {
            ended = true;
            break;
        }
    }
    ancestors_.leave();
    return ended;
}

}  // namespace tvr::search
