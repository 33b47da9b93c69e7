// SPDX-License-Identifier: MIT
#include "search/folder_rows.h"

#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "library/folder_read_ahead.h"
#include "library/folder_walk.h"
#include "library/list_file.h"
#include "platform/fs.h"

namespace tvr::search {

namespace {

constexpr std::u16string_view kStorage = u"(Storage)";

void addDriveRows(const SearchContext& context) {
    for (const platform::DriveInfo& drive : platform::listDrives()) {
        context.results.add({drive.root, FolderRow{driveDisplayName(drive), 1, kDriveRow}});
    }
}

void listComputer(const SearchContext& context) {
    std::vector<std::u16string> lines;
    if (!library::readListLines(context.settings.config.pcFolderListPath, &lines)) return;
    std::u16string field;
    for (const std::u16string& line : lines) {
        if (line.front() != u'#') {
            context.results.add({line, FolderRow{line, 1, kListPathRow}});
        } else if (line == u"#end") {
            break;
        } else if (line.starts_with(u"#sc")) {
            if (core::getLineField(&field, line, 2) >= 0)
                context.results.add({field, FolderRow{field, 1, kShortcutRow}});
        } else if (line.starts_with(u"#cmd")) {
            if (core::getLineField(&field, line, 2) < 0) continue;
            if (field == kStorage) {
                addDriveRows(context);
            } else {
                context.results.add({field, FolderRow{field, 0, kCommandRow}});
            }
        }
    }
}

// Stops at the first sub-folder; the headset only needs to know whether to offer a way down.
bool hasSubFolder(const std::u16string& folder, library::FolderReadAhead& readAhead, const SearchContext& context) {
    bool found = false;
    context.results.setProgress(folder);
    readAhead.read(
        folder,
        [&](const platform::DirEntry& entry) {
            if (context.stopped()) return false;
            found = library::isWalkedFolder(entry);
            return !found;
        },
        nullptr);
    return found;
}

void listSubFolders(std::u16string_view folder, const SearchContext& context) {
    if (context.stopped()) return;
    context.results.setProgress(folder);
    // Each sub-folder is looked into once, in this order: a cold disk serves several at a time,
    // and each opens by its name in the folder held open.
    library::FolderReadAhead readAhead(false, library::FolderReadAhead::Start::kWhenSlow,
                                       [&context] { return context.stopped(); });
    const std::u16string parent(folder);
    std::vector<std::u16string> names;
    readAhead.read(
        parent,
        [&](const platform::DirEntry& entry) {
            if (context.stopped()) return false;
            if (library::isWalkedFolder(entry)) names.push_back(entry.name);
            return true;
        },
        nullptr);
    std::vector<std::u16string> paths = names;
    readAhead.announceSubFolders(parent, paths);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (context.stopped()) return;
        const bool deeper = hasSubFolder(paths[i], readAhead, context);
        context.results.add({names[i], FolderRow{names[i], deeper ? 1 : 0, kSubFolderRow}});
    }
}

}  // namespace

std::u16string driveDisplayName(const platform::DriveInfo& drive) {
    const std::u16string& root = drive.root;
    if (root.size() == 3 && root[1] == u':') {
        std::u16string name = root.substr(0, 2);
        if (!drive.label.empty()) name += u"[" + drive.label + u"]";
        return name;
    }
    return drive.label.empty() ? root : drive.label;
}

void listFolderRows(std::u16string_view folder, const SearchContext& context) {
    if (folder == kComputerFolder) {
        listComputer(context);
    } else {
        listSubFolders(folder, context);
    }
}

}  // namespace tvr::search
