// SPDX-License-Identifier: MIT
#include "library/channel_listing.h"

#include "core/paths.h"
#include "core/text.h"
#include "library/channels.h"
#include "platform/fs.h"

namespace tvr::library {

namespace {

std::uint16_t markerValue(const ListingContext& context, std::u16string_view name) {
    // Without any marker file no lookup can find one; large folders skip the name split.
    if (context.markers.index().empty()) {
        return 0;
    }
    return static_cast<std::uint16_t>(context.markers.getMarkerState(name));
}

}  // namespace

int ChannelLister::listChannel(std::int32_t ch, const SortRequest& sort, ListingContext& context) {
    notes_ = ListingNotes{};
    if (ch < 0) {
        return 0;
    }
    ChannelRoot root;
    if (!resolveChannelRoot(context.config, ch, &root)) {
        return 0;
    }
    // The listing runs on the control thread: a headset that left, a forced disconnect or a stop
    // must not wait behind a walk of a whole disk.
    FolderWalk walk([&context] { return context.sink.abandoned(); }, folderCap_);
    walk_ = &walk;
    // Only an order by date reads every file's time: on a cold disk that is a read per file.
    FolderReadAhead readAhead(sortNeedsTimes(sort.sortName), readAheadStart_, [&walk] { return walk.shouldStop(); });
    readAhead_ = &readAhead;
    context.sink.root(root.root);

    std::int64_t count = 0;
    int result = 0;
    if (root.isFolder) {
        result = listFolderTree(root.root, count, 0, root.recurse, sort, context);
    } else {
        // The headset now holds this version of the file; a later save must not take its own
        // copy for an edit made on the PC.
        if (context.searchList.channel() == ch) {
            context.searchList.rememberFileTime();
        }
        if (context.favoriteList.channel() == ch) {
            context.favoriteList.rememberFileTime();
        }
        result = listListFile(root.root, count, sort, context);
    }
    readAhead_ = nullptr;
    walk_ = nullptr;
    // A walk cut short by its folder cap still answers with what it sent.
    notes_.capped = walk.capped();
    notes_.listed = count;
    if (walk.capped()) result = 1;
    // A listing cut short because the headset left is no fault of the channel.
    if (result == 0) notes_.abandoned = context.sink.abandoned();
    if (result != 0) {
        context.sink.end(count);
    }
    return result;
}

int ChannelLister::listFolderTree(const std::u16string& folder, std::int64_t& count, int depth, bool recurse,
                                  const SortRequest& sort, ListingContext& context) {
    if (depth == 0) walk_->beginTree();
    // The open tells the folder's identity: sub-folders open by name in the folder held open.
    switch (walk_->enter([&](platform::FileIdentity* identity) { return readAhead_->open(folder, identity); })) {
        case WalkStep::kEnter:
            return listFolderLevel(folder, count, depth, recurse, sort, context);
        case WalkStep::kSkip:
            return 1;
        case WalkStep::kStop:
            break;
    }
    return 0;
}

void ChannelLister::noteUndecodable(const std::u16string& folder) {
    for (const std::u16string& known : notes_.undecodableFolders)
        if (known == folder) return;
    if (notes_.undecodableFolders.size() < ListingNotes::kMaxFolders) {
        notes_.undecodableFolders.push_back(folder);
    } else {
        ++notes_.moreUndecodableFolders;
    }
}

int ChannelLister::listFolderLevel(const std::u16string& folder, std::int64_t& count, int depth, bool recurse,
                                   const SortRequest& sort, ListingContext& context) {
    context.sink.folder(depth, folder);

    // The folder-name list of this depth outlives the walk of deeper levels, which may grow
    // folderLists_; the list itself sits behind a stable pointer.
    const auto level = static_cast<std::size_t>(depth);
    if (folderLists_.size() <= level) {
        folderLists_.resize(level + 1);
    }
    if (!folderLists_[level]) {
        folderLists_[level] = std::make_unique<std::vector<std::u16string>>();
    }
    std::vector<std::u16string>& subFolders = *folderLists_[level];
    subFolders.clear();

    // One enumeration gives both the files and the sub-folders. An answer nobody will read ends
    // the listing at the next entry or sort step: a stop must not wait for a large folder.
    const auto abandoned = [&] { return context.sink.abandoned(); };
    sorter_.clear();
    std::size_t undecodable = 0;
    readAhead_->readOpened(
        [&](const platform::DirEntry& entry) {
            if (walk_->shouldStop()) return false;
            if (entry.isFolder) {
                if (recurse && isWalkedFolder(entry)) subFolders.push_back(entry.name);
            } else if (context.extensions.isAccepted(entry.name)) {
                sorter_.add(entry.name, entry.writeTime);
            } else {
                notes_.skipped.add(entry.name);
            }
            return true;
        },
        &undecodable);
    if (undecodable > 0) noteUndecodable(folder);
    if (walk_->shouldStop()) return 0;

    if (abandoned()) {
        return 0;
    }
    const std::size_t files = sorter_.count();
    if (files > 0) {
        if (!sorter_.sort(sort.sortName, sort.sortMode, sort.sortMode2nd, abandoned)) {
            return 0;
        }
        if (sort.sortName == kSortByName) {
            sorter_.settleNameTies([&folder](const std::u16string& name) {
                std::u16string path = folder;
                core::appendPath(path, name);
                platform::FileTime time = 0;
                platform::fileWriteTime(path, &time);
                return time;
            });
        }
        if (sort.sortName != kSortByName && !sorter_.group(abandoned)) {
            return 0;
        }
        context.sink.beginFiles();
        for (std::size_t i = 0; i < files; ++i) {
            const SortRecord& record = sorter_.get(i);
            context.sink.addFile(markerValue(context, record.name), folder, record.name);
        }
        count += static_cast<std::int64_t>(files);
        context.sink.endFiles();
    }
    if (!recurse) {
        return 1;
    }

    sortFolderNames(subFolders);
    readAhead_->announceSubFolders(folder, subFolders);
    for (const std::u16string& path : subFolders) {
        if (listFolderTree(path, count, depth + 1, true, sort, context) == 0) {
            return 0;
        }
    }
    return 1;
}

int ChannelLister::listListFile(const std::u16string& listPath, std::int64_t& count, const SortRequest& sort,
                                ListingContext& context) {
    std::vector<std::u16string> lines;
    const platform::ReadStatus read = readListFile(listPath, &lines);
    if (read == platform::ReadStatus::kTooLarge) {
        notes_.tooLargeList = listPath;
        notes_.tooLargeBytes = platform::fileSize(core::appFilePath(listPath));
    }
    if (read != platform::ReadStatus::kRead) {
        return 0;
    }
    context.sink.beginFiles();
    for (const std::u16string& line : lines) {
        if (context.sink.abandoned()) {
            return 0;
        }
        if (line.empty()) {
            continue;
        }
        if (line.front() == u'#') {
            if (line == u"#end") {
                break;
            }
            continue;  // other directives mean nothing to a listing
        }
        const std::u16string path = core::replaceAll(line, u'\\', u'/');
        const core::SplitResult parts = core::splitPath(path);
        if (!parts.ext.empty()) {
            // Sent as written: the headset reports a missing file when it plays it.
            context.sink.addFile(markerValue(context, path), parts.folder, parts.nameWithExt);
            ++count;
        } else {
            context.sink.endFiles();
            // Its result is not the listing's, unless the walk ended the whole request.
            if (listFolderTree(path, count, 0, true, sort, context) == 0) return 0;
            context.sink.beginFiles();
        }
    }
    context.sink.endFiles();
    return 1;
}

}  // namespace tvr::library
