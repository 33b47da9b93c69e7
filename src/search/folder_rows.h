// SPDX-License-Identifier: MIT
#pragma once
// The rows of a get-dir request: the sub-folders of a folder one level deep, or at the
// "(Computer)" root the entries of the PC folder list with the drives in place of "(Storage)".
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/drives.h"
#include "search/search_context.h"

namespace tvr::search {

/// The request text that asks for the PC folder list.
inline constexpr std::u16string_view kComputerFolder = u"(Computer)";

/// "C:[label]" or "C:" for a drive letter, else the readable label (the root when it has none).
std::u16string driveDisplayName(const platform::DriveInfo& drive);
/// Appends the rows for folder: the PC folder list for "(Computer)", else one row per sub-folder
/// with flag 1 when that sub-folder has a sub-folder of its own.
void listFolderRows(std::u16string_view folder, const SearchContext& context);

}  // namespace tvr::search
