// SPDX-License-Identifier: MIT
#pragma once
// The guard every tree walk (channel listings, file searches) passes each folder through before
// it reads it. A walk enters a folder once, however many links lead to it: a link to "/" or to
// a folder above must not make it endless. It leaves out the kernel's pseudo file systems, stops
// at once when whoever waits for it is gone, and enters at most a fixed number of folders.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/fs.h"

namespace tvr::library {

/// The most folders one listing or search request enters; a walk that reaches it ends as if
/// the tree ended there.
inline constexpr std::size_t kMaxWalkFolders = 250000;

/// True for a sub-folder a walk enters: "$" folders are system folders such as the recycle bin.
inline bool isWalkedFolder(const platform::DirEntry& entry) {
    return entry.isFolder && !entry.name.empty() && entry.name.front() != u'$';
}

enum class WalkStep {
    kEnter,  // read the folder and walk on below it
    kSkip,   // already walked by this tree, or a pseudo file system: leave it out
    kStop,   // the request ends here (stopped, or the folder cap reached)
};

class FolderWalk {
public:
    /// Asked between folders and entries; true ends the walk (the headset left, a cancel, a stop).
    using StopCheck = std::function<bool()>;

    explicit FolderWalk(StopCheck stopCheck = {}, std::size_t folderCap = kMaxWalkFolders);

    /// Starts another tree of the same request: its folders may be entered again.
    void beginTree();
    /// Tells the identity of the folder to enter; false when it cannot be examined.
    using Identify = std::function<bool(platform::FileIdentity*)>;
    /// Decides about a folder before the walk reads it; identify is asked only when the walk goes on.
    WalkStep enter(const Identify& identify);
    /// Decides about the folder at the path, examining it there.
    WalkStep enter(std::u16string_view folder);
    /// True once the walk is to end: asks the stop check again unless it already ended.
    bool shouldStop();
    /// True when the folder cap ended the walk.
    bool capped() const { return capped_; }

private:
    struct IdentityHash {
        std::size_t operator()(const platform::FileIdentity& id) const {
            return std::hash<std::uint64_t>()(id.node * 0x9E3779B97F4A7C15ULL ^ id.device);
        }
    };

    StopCheck stopCheck_;
    std::size_t folderCap_;
    std::size_t entered_ = 0;
    bool stopped_ = false;
    bool capped_ = false;
    bool pseudoKnown_ = false;
    std::vector<std::uint64_t> pseudoDevices_;  // read at the first folder, once per request
    std::unordered_set<platform::FileIdentity, IdentityHash> visited_;
};

}  // namespace tvr::library
