// SPDX-License-Identifier: MIT
#include "library/skipped_files.h"

#include <algorithm>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"

namespace tvr::library {

void SkippedFiles::add(std::u16string_view name) {
    const std::u16string ext = core::splitPath(name).ext;
    if (ext.size() < 2) return;
    ++total_;
    std::u16string key = core::toLower(std::u16string_view(ext).substr(1));
    // Names come from any disk: a folder of a thousand made-up extensions keeps the map small.
    auto found = counts_.find(key);
    if (found != counts_.end()) {
        ++found->second;
    } else if (counts_.size() < kMaxExtensions) {
        counts_.emplace(std::move(key), 1);
    }
}

std::vector<ExtensionCount> SkippedFiles::mostCommon(std::size_t n) const {
    std::vector<ExtensionCount> all;
    all.reserve(counts_.size());
    for (const auto& [extension, files] : counts_) all.push_back({extension, files});
    // The map gives name order; a stable sort by count keeps it among equal counts.
    std::stable_sort(all.begin(), all.end(),
                     [](const ExtensionCount& a, const ExtensionCount& b) { return a.files > b.files; });
    if (all.size() > n) all.resize(n);
    return all;
}

SkipNote makeSkipNote(std::int32_t channel, std::int64_t shown, const SkippedFiles& skipped,
                      std::u16string_view accepted) {
    SkipNote note;
    note.channel = channel;
    note.shown = shown;
    note.skipped = skipped.total();
    note.extensions = skipped.mostCommon(SkipNote::kNamed);
    note.accepted = std::u16string(accepted);
    return note;
}

FolderTop lookAtFolderTop(std::u16string_view folder, const core::ExtensionTable& extensions, std::size_t maxEntries) {
    FolderTop top;
    std::size_t seen = 0;
    top.complete = true;
    top.read = platform::enumerateFolderNames(folder, [&](const platform::DirEntry& entry) {
        if (seen == maxEntries) {
            top.complete = false;
            return false;
        }
        ++seen;
        if (entry.isFolder) return true;
        if (extensions.isAccepted(entry.name)) {
            ++top.videos;
        } else {
            top.skipped.add(entry.name);
        }
        return true;
    });
    return top;
}

}  // namespace tvr::library
