// SPDX-License-Identifier: MIT
#pragma once
// The listing of a channel that the headset asks for: its root, then each folder and its video
// files in the requested order, then the total.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/extension_filter.h"
#include "core/settings.h"
#include "library/folder_read_ahead.h"
#include "library/folder_walk.h"
#include "library/list_file.h"
#include "library/listing_sink.h"
#include "library/skipped_files.h"
#include "library/sort_list.h"
#include "platform/fs.h"
#include "stores/marker_store.h"

namespace tvr::library {

/// The sort values of one request (defaults 0, 1, 1).
struct SortRequest {
    std::int32_t sortName = 0;
    std::int32_t sortMode = 1;
    std::int32_t sortMode2nd = 1;
};

/// What a listing reads and where it writes.
struct ListingContext {
    const core::Config& config;
    const core::ExtensionTable& extensions;
    const stores::MarkerStore& markers;
    ListFile& searchList;
    ListFile& favoriteList;
    ListingSink& sink;
};

/// What the last listing met that the user should hear of.
struct ListingNotes {
    /// At most this many folders are named; the rest are counted.
    static constexpr std::size_t kMaxFolders = 8;

    std::u16string tooLargeList;  // the list file refused for its size (empty: none)
    std::int64_t tooLargeBytes = 0;
    std::vector<std::u16string> undecodableFolders;  // folders whose names left out some files
    std::size_t moreUndecodableFolders = 0;
    bool capped = false;      // the walk reached kMaxWalkFolders and ended there
    std::int64_t listed = 0;  // the videos listed
    SkippedFiles skipped;     // files of the walked folders whose extension is not a video's
    bool abandoned = false;   // nobody waited for the listing any more: it ended before it was complete
};

class ChannelLister {
public:
    /// A lister whose walks enter at most folderCap folders per request and start reading ahead
    /// as readAhead says (a listing by date starts them at once).
    explicit ChannelLister(std::size_t folderCap = kMaxWalkFolders,
                           FolderReadAhead::Start readAhead = FolderReadAhead::Start::kWhenSlow)
        : folderCap_(folderCap), readAheadStart_(readAhead) {}
    /// Lists channel ch into the context's sink; 0 when it does not resolve, its list file
    /// cannot be opened or is too large, or the sink was abandoned partway (no end then).
    int listChannel(std::int32_t ch, const SortRequest& sort, ListingContext& context);
    /// What the last listChannel met.
    const ListingNotes& notes() const { return notes_; }

private:
    int listFolderTree(const std::u16string& folder, std::int64_t& count, int depth, bool recurse,
                       const SortRequest& sort, ListingContext& context);
    int listFolderLevel(const std::u16string& folder, std::int64_t& count, int depth, bool recurse,
                        const SortRequest& sort, ListingContext& context);
    int listListFile(const std::u16string& listPath, std::int64_t& count, const SortRequest& sort,
                     ListingContext& context);

    void noteUndecodable(const std::u16string& folder);

    std::size_t folderCap_;
    FolderReadAhead::Start readAheadStart_;
    SortList sorter_;
    FolderWalk* walk_ = nullptr;            // the running listing's walk
    FolderReadAhead* readAhead_ = nullptr;  // and its read-ahead
    ListingNotes notes_;
    // One per depth, reused: the sub-folder names, then the paths of the sub-folders to enter.
    std::vector<std::unique_ptr<std::vector<std::u16string>>> folderLists_;
};

}  // namespace tvr::library
