// SPDX-License-Identifier: MIT
#pragma once
// The file and folder choosers.
#include <optional>
#include <string>
#include <string_view>

#include "ui/chooser_paths.h"

class QWidget;

namespace tvr::ui::qt {

/// The open-file dialog for list files; the picked path, or nothing when cancelled.
std::optional<std::u16string> chooseListFile(QWidget* owner, const ListFileStart& start);
/// The folder chooser opened at start; the picked folder, or nothing when cancelled.
std::optional<std::u16string> chooseFolder(QWidget* owner, std::u16string_view start);

}  // namespace tvr::ui::qt
