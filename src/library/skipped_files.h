// SPDX-License-Identifier: MIT
#pragma once
// The files a walk left out because their extension is not among the video extensions, counted
// by extension, so a user whose videos are .mkv learns why a channel or a search shows none.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/extension_filter.h"

namespace tvr::library {

/// One extension and how many files had it.
struct ExtensionCount {
    std::u16string extension;  // lower-cased, without the dot ("mkv")
    std::int64_t files = 0;
};

class SkippedFiles {
public:
    /// At most this many different extensions are told apart; the files of others still count.
    static constexpr std::size_t kMaxExtensions = 64;

    /// Counts a file name that the extension table left out; a name without an extension, which
    /// no table can take, is not counted.
    void add(std::u16string_view name);
    /// How many files were counted.
    std::int64_t total() const { return total_; }
    /// The n most common extensions, most files first (ties in name order).
    std::vector<ExtensionCount> mostCommon(std::size_t n) const;

private:
    std::map<std::u16string, std::int64_t> counts_;
    std::int64_t total_ = 0;
};

/// What a listing or a search left out, for the front-end to tell.
struct SkipNote {
    std::int32_t channel = -1;               // the listed channel's index (0 to 7); -1 for a name search
    std::int64_t shown = 0;                  // the videos listed, or the names the search found
    std::int64_t skipped = 0;                // the files left out for their extension
    std::vector<ExtensionCount> extensions;  // the most common of them (at most kNamed)
    std::u16string accepted;                 // the extensions setting ([File] pcExt) in force

    static constexpr std::size_t kNamed = 3;
};

/// The note of what skipped holds; shown and accepted as given.
SkipNote makeSkipNote(std::int32_t channel, std::int64_t shown, const SkippedFiles& skipped,
                      std::u16string_view accepted);

/// A look at the top of a folder only, bounded for the start-up summary.
struct FolderTop {
    bool read = false;        // the folder could be read
    bool complete = false;    // every entry was looked at (else the first kMaxEntries)
    std::int64_t videos = 0;  // files the table takes
    SkippedFiles skipped;     // files it leaves out
};

/// Looks at the entries of folder itself (no sub-folder), at most maxEntries of them.
FolderTop lookAtFolderTop(std::u16string_view folder, const core::ExtensionTable& extensions, std::size_t maxEntries);

}  // namespace tvr::library
