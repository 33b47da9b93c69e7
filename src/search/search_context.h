// SPDX-License-Identifier: MIT
#pragma once
// What a running request reads and where it reports. The settings are a copy taken at the start,
// so the control thread may change its own settings while a walk runs.
#include <atomic>

#include "core/extension_filter.h"
#include "core/settings.h"
#include "search/search_results.h"

namespace tvr::search {

/// The settings a request needs: channels ("#ch"), the search-folder and PC folder lists, and
/// the video extension table.
struct SearchSettings {
    core::Config config;
    core::ExtensionTable extensions;
};

/// The snapshot of the settings in force, its extension table built as the listing builds it.
SearchSettings makeSearchSettings(const core::Config& config);

/// One request's view of the engine.
struct SearchContext {
    const SearchSettings& settings;
    SearchResults& results;
    const std::atomic<bool>& cancel;

    /// True once the request is to end: it was asked to stop, or its rows have reached the cap.
    bool stopped() const { return cancel.load(std::memory_order_relaxed) || results.full(); }
};

}  // namespace tvr::search
