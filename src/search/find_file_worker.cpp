// SPDX-License-Identifier: MIT
#include "search/find_file_worker.h"

#include <vector>

#include "core/paths.h"
#include "search/list_walk.h"

namespace tvr::search {

void FindFileWorker::run(std::u16string_view path, const SearchContext& context) {
    context_ = &context;
    walk_.emplace([&context] { return context.stopped(); });
    readAhead_.emplace(false, library::FolderReadAhead::Start::kWhenSlow, [this] { return walk_->shouldStop(); });
    fileTests_ = 0;
    const core::SplitResult parts = core::splitPath(path);
    name_ = parts.nameWithExt;
    // The threads look the name up with each folder they read, so the walk need not ask again.
    readAhead_->lookFor(name_);
    if (!name_.empty()) search(parts.folder);
    // The read-ahead's threads end with the request.
    readAhead_.reset();
}

void FindFileWorker::search(const std::u16string& rememberedFolder) {
    if (!context_->stopped() && !lastFolder_.empty() && lookIn(lastFolder_, false)) return;
    if (context_->stopped() || lookInTree(rememberedFolder)) return;
    walkListFile(context_->settings.config.searchFolder1, false, *context_,
                 [this](const std::u16string& folder, bool) { return !lookInTree(folder); });
}

bool FindFileWorker::lookInTree(const std::u16string& folder) {
    walk_->beginTree();
    return lookIn(folder, true);
}

bool FindFileWorker::lookIn(const std::u16string& folder, bool descend) {
    // A request without a folder says nothing about where to look; the server's working folder
    // is no place the headset knows of.
    if (folder.empty()) return false;
    if (descend) {
        switch (walk_->enter([&](platform::FileIdentity* identity) { return readAhead_->open(folder, identity); })) {
            case library::WalkStep::kEnter:
                break;
            case library::WalkStep::kSkip:
                return false;
            case library::WalkStep::kStop:
                return true;
        }
    }
    context_->results.setProgress(folder);
    // The folder is read before the name is tested in it: on a cold disk that read is what shows
    // the read-ahead is worth its threads, and it brings in what the test then looks up.
    std::vector<std::u16string> subFolders;
    if (descend) {
        readAhead_->readOpened(
            [&](const platform::DirEntry& entry) {
                if (walk_->shouldStop()) return false;
                if (library::isWalkedFolder(entry)) subFolders.push_back(entry.name);
                return true;
            },
            nullptr);
        if (walk_->shouldStop()) return true;
    }
    std::u16string candidate = folder;
    core::appendPath(candidate, name_);
    ++fileTests_;
    const platform::PathKind kind = descend ? readAhead_->kindInOpened(name_) : platform::pathKind(candidate);
    if (kind == platform::PathKind::File) {
        lastFolder_ = folder;
        context_->results.add({std::move(candidate)});
        return true;
    }
    if (!descend) return false;
    readAhead_->announceSubFolders(folder, subFolders);
    for (const std::u16string& child : subFolders) {
        if (lookIn(child, true)) return true;
    }
    return walk_->shouldStop();
}

}  // namespace tvr::search
