// SPDX-License-Identifier: MIT
#pragma once
// "編集" on Linux: a list file the user has not made yet is made empty first (as Notepad offers on
// Windows), then opened with the desktop's application for text, or with $VISUAL or $EDITOR in a
// terminal where the desktop has none.
#include <string_view>

#include "ui/main_window_view.h"

namespace tvr::ui::qt {

/// Makes a missing file empty and private (owner read and write), then opens it for editing.
EditorOutcome openInEditor(std::u16string_view path);

}  // namespace tvr::ui::qt
