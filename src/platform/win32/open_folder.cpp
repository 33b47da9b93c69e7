// SPDX-License-Identifier: MIT
// Folders held open by a walk on Windows, which opens by path: a folder keeps its full path, and
// a sub-folder's is the parent's with its name appended.
#include "platform/open_folder.h"

#include "platform/win32/win_util.h"

namespace tvr::platform {

namespace {

std::u16string joined(const std::u16string& folder, std::u16string_view name) {
    std::u16string path = folder;
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    path += name;
    return path;
}

}  // namespace

OpenFolder::OpenFolder(const OpenFolder* parent, std::u16string_view pathOrName) {
    if (pathOrName.empty() || (parent != nullptr && !parent->open_)) return;
    noteFolderRequest(FolderRequest::kOpen);
    path_ = parent != nullptr ? joined(parent->path_, pathOrName) : std::u16string(pathOrName);
    open_ = win32::stampOfFolder(path_, &stamp_);
}

OpenFolder::~OpenFolder() = default;

bool OpenFolder::read(bool withTimes, const std::function<bool(const DirEntry&)>& onEntry, std::size_t* undecodable) {
    if (!open_) return false;
    // The enumeration notes its own request.
    return withTimes ? enumerateFolder(path_, onEntry, undecodable) : enumerateFolderNames(path_, onEntry, undecodable);
}

PathKind OpenFolder::kindOf(std::u16string_view name) const {
    if (!open_ || name.empty()) return PathKind::Missing;
    return pathKind(joined(path_, name));
}

bool OpenFolder::heldStamp(FolderStamp* stamp) const { return open_ && win32::stampOfFolder(path_, stamp); }

bool OpenFolder::onShare() const {
    if (!open_) return false;
    const std::wstring path = win32::widePath(path_);
    if (path.starts_with(L"\\\\") || path.starts_with(L"//")) return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const std::wstring root = path.substr(0, 2) + L"\\";
    return ::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}

}  // namespace tvr::platform
