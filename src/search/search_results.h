// SPDX-License-Identifier: MIT
#pragma once
// The rows of the last request and the folder being scanned, shared between the engine thread
// (which appends) and the control thread (which reads at any time, also mid-walk).
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/skipped_files.h"

namespace tvr::search {

/// What a folder row of a get-dir request stands for (its type field).
enum FolderRowType : std::int32_t {
    kSubFolderRow = 0,
    kDriveRow = 1,
    kListPathRow = 2,
    kShortcutRow = 3,
    kCommandRow = 4,
};

/// What a get-dir row adds to its folder.
struct FolderRow {
    std::u16string displayName;  // what the headset shows for it
    std::int32_t flag = 0;       // 1 when the headset may open it further
    FolderRowType type = kSubFolderRow;
};

/// One result: a video's path (find, name search), or a folder row of a get-dir request. Each
/// row has one text, whichever command reads it.
struct SearchRow {
    std::u16string path;                // the video, or the folder row's folder
    std::optional<FolderRow> folder{};  // set for a folder row
};

class SearchResults {
public:
    /// The most rows one windowed read returns (the size of a reply table).
    static constexpr std::int32_t kMaxWindow = 32;
    /// The most rows one request keeps; a request that reaches it ends with them.
    static constexpr std::size_t kMaxRows = 100000;

    explicit SearchResults(std::size_t maxRows = kMaxRows) : maxRows_(maxRows) {}
    /// Appends one row; false (row dropped) once the rows have reached the cap.
    bool add(SearchRow row);
    /// True once the rows have reached the cap.
    bool full() const;
    /// Forgets every row and the progress text.
    void clear();
    /// The number of rows.
    std::int32_t count() const;
    /// Copies of up to kMaxWindow rows from first on; none for a negative first or a count below 1.
    std::vector<SearchRow> window(std::int32_t first, std::int32_t count) const;
    /// Records the folder being scanned.
    void setProgress(std::u16string_view folder);
    /// The folder being scanned.
    std::u16string progress() const;
    /// Keeps what the request's walk left out for its extension.
    void setSkipped(library::SkippedFiles skipped);
    /// What the request's walk left out for its extension (none until it ends).
    library::SkippedFiles skipped() const;

private:
    std::size_t maxRows_;
    mutable std::mutex mutex_;
    std::vector<SearchRow> rows_;
    std::u16string progress_;
    library::SkippedFiles skipped_;
};

}  // namespace tvr::search
