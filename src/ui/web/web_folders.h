// SPDX-License-Identifier: MIT
#pragma once
// The page's folder chooser: the drives the server lists, and below them one folder's
// sub-folders (folders only, never files), as JSON.
#include <cstddef>
#include <string>

namespace tvr::ui::web {

/// Most sub-folders one answer lists.
inline constexpr std::size_t kMaxFolderRows = 5000;

/// {"path":..., "parent":..., "folders":[{"name":..., "path":...}]}: the drives for an empty path,
/// else the folder's sub-folders in natural order; empty when the path is no folder under a drive.
std::string folderListJson(const std::u16string& path);

}  // namespace tvr::ui::web
