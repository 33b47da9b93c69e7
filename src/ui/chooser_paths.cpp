// SPDX-License-Identifier: MIT
#include "ui/chooser_paths.h"

#include "core/paths.h"
#include "core/text.h"

namespace tvr::ui {
namespace {

char16_t separator() { return platform::backslashIsSeparator() ? u'\\' : u'/'; }

std::u16string join(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || (path.back() != u'/' && path.back() != separator())) path += separator();
    path += name;
    return path;
}

bool folderExists(std::u16string_view folder) {
    bool isFolder = false;
    return !folder.empty() && core::getPathState(folder, &isFolder) && isFolder;
}

}  // namespace

std::u16string nativeSeparators(std::u16string_view path) { return core::replaceAll(path, u'/', separator()); }

ListFileStart listFileStart(std::u16string_view path, std::u16string_view executableFolder) {
    core::SplitResult parts = core::splitPath(path);
    std::u16string start(path);
    if (!folderExists(parts.folder)) start = join(executableFolder, parts.nameWithExt);
    core::SplitResult chosen = core::splitPath(nativeSeparators(start));
    return {chosen.folder, chosen.nameWithExt};
}

std::u16string storedListPath(std::u16string_view picked, std::u16string_view executableFolder) {
    core::SplitResult parts = core::splitPath(picked);
    return parts.folder == executableFolder ? parts.nameWithExt : std::u16string(picked);
}

std::u16string folderChooserStart(std::u16string_view path, std::u16string_view executableFolder) {
    return nativeSeparators(path.empty() ? executableFolder : path);
}

std::u16string notepadTarget(std::u16string_view path, std::u16string_view executableFolder) {
    core::SplitResult parts = core::splitPath(path);
    return nativeSeparators(
        join(parts.folder.empty() ? executableFolder : std::u16string_view(parts.folder), parts.nameWithExt));
}

}  // namespace tvr::ui
