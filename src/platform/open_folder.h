// SPDX-License-Identifier: MIT
#pragma once
// Folders held open by a walk. A sub-folder opens by its name in the folder held, not by its
// whole path, which the system would look up again name by name (on a network share, a round
// trip each), and what a walk needs to know of a folder (its kind, identity and stamp) comes
// with the open.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tvr::platform {

class OpenFolder {
public:
    /// Opens the folder at the path, or, with a parent, the one by that name in the parent
    /// (links followed); isOpen() is false when it is no folder or cannot be opened.
    OpenFolder(const OpenFolder* parent, std::u16string_view pathOrName);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    /// True when the folder was opened.
    bool isOpen() const { return open_; }
    /// Its identity, change and write time as the open found them.
    const FolderStamp& stamp() const { return stamp_; }
    /// Its identity, for a walk's set of folders entered.
    FileIdentity identity() const { return {stamp_.device, stamp_.node}; }
    /// Visits its entries from the first, as enumerateFolder (withTimes) or enumerateFolderNames do.
    bool read(bool withTimes, const std::function<bool(const DirEntry&)>& onEntry, std::size_t* undecodable);
    /// What the name in this folder is (links followed), as pathKind says of its path.
    PathKind kindOf(std::u16string_view name) const;
    /// Its stamp as the system holds it now, without asking the disk or a share (a share's is what
    /// its attribute cache says; Windows, which has no such look, examines it again); false when unknown.
    bool heldStamp(FolderStamp* stamp) const;
    /// True when it lies on a network file system (NFS, SMB, FUSE and the like), where each
    /// request may wait a round trip.
    bool onShare() const;

private:
    bool open_ = false;
    std::intptr_t handle_ = -1;  // a descriptor on POSIX; unused on Windows
    void* reader_ = nullptr;     // the directory stream once read (POSIX)
    std::u16string path_;        // the full path (Windows, which opens by path)
    FolderStamp stamp_;
};

/// What a walk asks of the file system.
enum class FolderRequest { kOpen, kRead, kExamine };
/// Called on the asking thread before each folder open, each read of a folder's entries and each
/// examination of a path or name (pathKind, fileIdentity, folderStamp, OpenFolder::kindOf);
/// lets tests slow them down or count them.
using FolderRequestHook = void (*)(FolderRequest request);
/// Installs the hook for the whole process (nullptr: none).
void setFolderRequestHook(FolderRequestHook hook);
/// Calls the installed hook, if any (the backends, before each request).
void noteFolderRequest(FolderRequest request);

}  // namespace tvr::platform
