// SPDX-License-Identifier: MIT
#pragma once
// The file and folder choosers, and a file opened in the desktop's editor.
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
/// Opens the file with the desktop's application for it (a text editor for a list); false when
/// the desktop could not start one.
bool openInEditor(std::u16string_view path);

}  // namespace tvr::ui::qt
