// SPDX-License-Identifier: MIT
#include "ui/web/web_folders.h"

#include <algorithm>
#include <vector>

#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/natural_compare.h"
#include "ui/web/web_json.h"

namespace tvr::ui::web {
namespace {

// "." and ".." would climb out of the drive the path starts with.
bool hasDotSegment(std::u16string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of(u"/\\", start);
        if (end == std::u16string_view::npos) end = path.size();
        std::u16string_view segment = path.substr(start, end - start);
        if (segment == u"." || segment == u"..") return true;
        start = end + 1;
    }
    return false;
}

std::string entry(std::u16string_view name, std::u16string_view path) {
    return "{\"name\":" + jsonString(name) + ",\"path\":" + jsonString(path) + "}";
}

}  // namespace

std::string folderListJson(const std::u16string& path) {
    std::vector<platform::DriveInfo> drives = platform::listDrives();
    std::string rows;
    if (path.empty()) {
        for (const platform::DriveInfo& drive : drives) {
            if (!rows.empty()) rows += ',';
            rows += entry(drive.label.empty() ? drive.root : drive.label + u" (" + drive.root + u")", drive.root);
        }
        return "{\"path\":\"\",\"parent\":null,\"folders\":[" + rows + "]}";
    }
    std::u16string folder = path;
    if (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
    const platform::DriveInfo* drive = nullptr;
    for (const platform::DriveInfo& candidate : drives) {
        std::u16string_view root = candidate.root;
        if ((folder + u"/").starts_with(root) || folder == root) drive = &candidate;
    }
    if (drive == nullptr || hasDotSegment(folder) || platform::pathKind(folder) != platform::PathKind::Folder)
        return {};
    std::vector<std::u16string> names;
    platform::enumerateFolderNames(folder, [&](const platform::DirEntry& found) {
        if (found.isFolder) names.push_back(found.name);
        return names.size() < kMaxFolderRows;
    });
    std::sort(names.begin(), names.end(),
              [](const std::u16string& a, const std::u16string& b) { return platform::naturalCompare(a, b) < 0; });
    std::u16string base = folder.back() == u'/' ? folder : folder + u"/";
    for (const std::u16string& name : names) {
        if (!rows.empty()) rows += ',';
        rows += entry(name, base + name);
    }
    std::string parent = "\"\"";
    std::size_t slash = folder.find_last_of(u'/');
    if (folder + u"/" != drive->root && folder != drive->root && slash != std::u16string::npos)
        parent = jsonString(std::u16string_view(folder).substr(0, slash == 0 ? 1 : slash));
    return "{\"path\":" + jsonString(folder) + ",\"parent\":" + parent + ",\"folders\":[" + rows + "]}";
}

}  // namespace tvr::ui::web
