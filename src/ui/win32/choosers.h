// SPDX-License-Identifier: MIT
#pragma once
// The system's file and folder choosers, and Notepad.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/chooser_paths.h"

namespace tvr::ui::win32 {

/// The open-file dialog for list files; the picked path, or nothing when cancelled.
std::optional<std::u16string> chooseListFile(HWND owner, const ListFileStart& start);
/// The folder browser opened at start; the picked folder, or nothing when cancelled.
std::optional<std::u16string> chooseFolder(HWND owner, std::u16string_view start);
/// Opens the file in Notepad without waiting for it.
void openInNotepad(std::u16string_view path);

}  // namespace tvr::ui::win32
