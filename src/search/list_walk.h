// SPDX-License-Identifier: MIT
#pragma once
// Walking a search-folder list (".vrl") for the find and search workers: path lines that name an
// existing folder are visited, existing ".vrl" files are walked as nested lists, "#ch<n>" stands
// for a channel's root, "#once"/"#no_once" switch the once flag for the rest of the list and
// the lists below it, and "#end" ends the list.
#include <functional>
#include <string>
#include <string_view>

#include "search/search_context.h"

namespace tvr::search {

/// Visits one existing folder of a list with the current once flag; false stops the request.
using FolderVisit = std::function<bool(const std::u16string& folder, bool once)>;

/// Walks the list file; false when a visit or a cancel stopped the request. A list that cannot
/// be read is skipped, and a list already being walked further up is not walked again.
bool walkListFile(std::u16string_view listPath, bool once, const SearchContext& context, const FolderVisit& visit);

}  // namespace tvr::search
