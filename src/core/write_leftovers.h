// SPDX-License-Identifier: MIT
#pragma once
// Start-up clean-up of what a killed process leaves behind: the temporary files of atomic writes
// beside the settings file, the list files and the stores.
#include <string_view>

#include "core/settings.h"

namespace tvr::core {

/// Deletes the atomic writes' temporary files in the folders of the settings file, the list
/// files and the store folders named by config; returns how many it deleted.
int removeWriteLeftovers(std::u16string_view settingsPath, const Config& config);

}  // namespace tvr::core
