// SPDX-License-Identifier: MIT
#pragma once
// The rows of the last request and the folder being scanned, shared between the engine thread
// (which appends) and the control thread (which reads at any time, also mid-walk).
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::search {

class SearchResults {
public:
    /// The most rows one windowed read returns (the size of a reply table).
    static constexpr std::int32_t kMaxWindow = 32;
    /// The most rows one request keeps; a request that reaches it ends with them.
    static constexpr std::size_t kMaxRows = 100000;

    explicit SearchResults(std::size_t maxRows = kMaxRows) : maxRows_(maxRows) {}
    /// Appends one row; false (row dropped) once the rows have reached the cap.
    bool add(std::u16string row);
    /// True once the rows have reached the cap.
    bool full() const;
    /// Forgets every row and the progress text.
    void clear();
    /// The number of rows.
    std::int32_t count() const;
    /// Copies of up to kMaxWindow rows from first on; none for a negative first or a count below 1.
    std::vector<std::u16string> window(std::int32_t first, std::int32_t count) const;
    /// Records the folder being scanned.
    void setProgress(std::u16string_view folder);
    /// The folder being scanned.
    std::u16string progress() const;

private:
    std::size_t maxRows_;
    mutable std::mutex mutex_;
    std::vector<std::u16string> rows_;
    std::u16string progress_;
};

}  // namespace tvr::search
