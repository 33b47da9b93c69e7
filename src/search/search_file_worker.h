// SPDX-License-Identifier: MIT
#pragma once
// Searches the file names below the folders of the search-folder list for a text.
#include <string_view>

#include "search/search_context.h"

namespace tvr::search {

/// Appends the full path of every video file whose name contains text (case-sensitive; an empty
/// text matches every name), in list order, then folder by folder depth-first, files in
/// enumeration order. With "#once" no folder is scanned twice in one request.
void searchFileNames(std::u16string_view text, const SearchContext& context);

}  // namespace tvr::search
