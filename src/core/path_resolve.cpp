// SPDX-License-Identifier: MIT
// Path helpers that look at the disk: state, folder creation, and resolving settings against
// the data folder.
#include <mutex>
#include <optional>

#include "core/path_parts.h"
#include "core/paths.h"
#include "platform/system_paths.h"

namespace tvr::core {

namespace {

std::mutex& folderMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::u16string>& folderValue() {
    static std::optional<std::u16string> folder;
    return folder;
}

bool isFolder(std::u16string_view path) { return platform::pathKind(path) == platform::PathKind::Folder; }

std::u16string withoutTrailingSeparators(std::u16string folder) {
    while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
    return folder;
}

}  // namespace

std::u16string_view programFolderOf(std::u16string_view programPath) {
    std::size_t cut = programPath.find_last_of(u"/\\");
    if (cut == std::u16string_view::npos) return {};
    return programPath.substr(0, cut == 0 ? 1 : cut);  // a program in the root keeps the root
}

std::u16string programFolder() {
    return withoutTrailingSeparators(std::u16string(programFolderOf(platform::executablePath())));
}

std::u16string dataFolder() {
    std::lock_guard lock(folderMutex());
    if (!folderValue()) folderValue() = programFolder();
    return *folderValue();
}

void setDataFolder(std::u16string folder) {
    folder = withoutTrailingSeparators(std::move(folder));
    std::lock_guard lock(folderMutex());
    folderValue() = std::move(folder);
}

bool getPathState(std::u16string_view path, bool* isFolderOut) {
    platform::PathKind kind = platform::pathKind(path);
    if (isFolderOut != nullptr) *isFolderOut = kind == platform::PathKind::Folder;
    return kind != platform::PathKind::Missing;
}

std::u16string openedName(std::u16string_view path) {
    std::u16string opened = platform::openedPath(path);
    return opened.empty() ? std::u16string(path) : opened;
}

std::u16string appFilePath(std::u16string_view path) {
    PathParts parts = splitParts(path);
    if (!parts.drive.empty() || !parts.dir.empty()) return std::u16string(path);
    // A bare name, with or without extension, lives beside the executable.
    std::u16string result = dataFolder();
    appendPath(result, path);
    return result;
}

bool makeFolderTree(std::u16string_view path, std::vector<std::u16string>* created) {
    // The empty parent of a relative top component is the current folder, which exists.
    if (path.empty()) return true;
    std::u16string folder(path);
    if (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
    if (isFolder(folder)) return true;
    PathParts parts = splitParts(folder);
    std::u16string parent = std::u16string(parts.drive) + std::u16string(parts.dir);
    // A parent that is no shorter than the path (a bare drive) cannot be created.
    if (parent.size() >= path.size()) return false;
    if (!makeFolderTree(parent, created)) return false;
    if (platform::makeFolder(folder)) {
        if (created != nullptr) created->push_back(folder);
        return true;
    }
    // Doubled separators or another process may have made it meanwhile.
    return isFolder(folder);
}

void resolveStoreFolder(std::u16string* folder, std::u16string_view setting) {
    if (!setting.empty() && isFolder(setting)) {
        *folder = setting;
        return;
    }
    // An absolute setting names its own place; joining it to the data folder would hide
    // the store in an unexpected subfolder.
    if (isAbsolutePath(setting)) {
        *folder = setting;
    } else {
        *folder = dataFolder();
        appendPath(*folder, setting);
    }
    if (!isFolder(*folder)) makeFolderTree(*folder);
}

bool resolveDataFile(std::u16string* file, std::u16string_view setting) {
    if (platform::pathKind(setting) == platform::PathKind::File) {
        *file = setting;
        return true;
    }
    if (isAbsolutePath(setting)) {
        *file = setting;
        return false;
    }
    *file = dataFolder();
    appendPath(*file, setting);
    return platform::pathKind(*file) == platform::PathKind::File;
}

void getFileWriteTime(platform::FileTime* time, std::u16string_view path) {
    *time = 0;
    platform::FileTime value = 0;
    // A file that cannot be opened counts as success with an unknown time.
    if (platform::fileWriteTime(path, &value)) *time = value;
}

}  // namespace tvr::core
