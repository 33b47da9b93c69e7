// SPDX-License-Identifier: MIT
#include "library/folder_walk.h"

#include <algorithm>

namespace tvr::library {

FolderWalk::FolderWalk(StopCheck stopCheck, std::size_t folderCap)
    : stopCheck_(std::move(stopCheck)), folderCap_(folderCap) {}

void FolderWalk::beginTree() { visited_.clear(); }

WalkStep FolderWalk::enter(std::u16string_view folder) {
    return enter([folder](platform::FileIdentity* identity) { return platform::fileIdentity(folder, identity); });
}

WalkStep FolderWalk::enter(const Identify& identify) {
    if (shouldStop()) return WalkStep::kStop;
    if (entered_ >= folderCap_) {
        capped_ = true;
        stopped_ = true;
        return WalkStep::kStop;
    }
    if (!pseudoKnown_) {
        pseudoDevices_ = platform::pseudoFileSystemDevices();
        pseudoKnown_ = true;
    }
    // A folder that cannot be examined cannot be read either; the walk finds nothing there.
    platform::FileIdentity identity;
    if (identify(&identity)) {
        if (std::find(pseudoDevices_.begin(), pseudoDevices_.end(), identity.device) != pseudoDevices_.end()) {
            return WalkStep::kSkip;
        }
        if (!visited_.insert(identity).second) return WalkStep::kSkip;
    } else if (stopped_) {
        return WalkStep::kStop;  // a stop came while the folder was being opened
    }
    ++entered_;
    return WalkStep::kEnter;
}

bool FolderWalk::shouldStop() {
    if (!stopped_ && stopCheck_ && stopCheck_()) stopped_ = true;
    return stopped_;
}

}  // namespace tvr::library
