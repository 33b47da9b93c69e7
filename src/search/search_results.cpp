// SPDX-License-Identifier: MIT
#include "search/search_results.h"

#include <algorithm>

namespace tvr::search {

bool SearchResults::add(SearchRow row) {
    std::lock_guard lock(mutex_);
    if (rows_.size() >= maxRows_) return false;
    rows_.push_back(std::move(row));
    return true;
}

bool SearchResults::full() const {
    std::lock_guard lock(mutex_);
    return rows_.size() >= maxRows_;
}

void SearchResults::clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    progress_.clear();
    skipped_ = {};
}

void SearchResults::setSkipped(library::SkippedFiles skipped) {
    std::lock_guard lock(mutex_);
    skipped_ = std::move(skipped);
}

library::SkippedFiles SearchResults::skipped() const {
    std::lock_guard lock(mutex_);
    return skipped_;
}

std::int32_t SearchResults::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(rows_.size());
}

std::vector<SearchRow> SearchResults::window(std::int32_t first, std::int32_t count) const {
    std::vector<SearchRow> rows;
    if (first < 0 || count < 1) return rows;
    std::lock_guard lock(mutex_);
    const auto begin = static_cast<std::size_t>(first);
    const std::size_t end = std::min(rows_.size(), begin + static_cast<std::size_t>(std::min(count, kMaxWindow)));
    for (std::size_t i = begin; i < end; ++i) rows.push_back(rows_[i]);
    return rows;
}

void SearchResults::setProgress(std::u16string_view folder) {
    std::lock_guard lock(mutex_);
    progress_.assign(folder);
}

std::u16string SearchResults::progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

}  // namespace tvr::search
