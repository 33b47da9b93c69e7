// SPDX-License-Identifier: MIT
#pragma once
// The path rules around the file and folder choosers and Notepad: where a chooser opens, what a
// row keeps of a picked list file, and which file "編集" opens.
#include <string>
#include <string_view>

namespace tvr::ui {

/// The text with "/" turned into the system's separator ("\" on Windows, unchanged elsewhere).
std::u16string nativeSeparators(std::u16string_view path);

/// Where the list-file chooser opens: the initial folder and the initial file name.
struct ListFileStart {
    std::u16string folder;
    std::u16string fileName;
};
/// For a row's path: its own folder when that exists, otherwise the executable folder, with the
/// path's file name.
ListFileStart listFileStart(std::u16string_view path, std::u16string_view executableFolder);
/// What a row keeps of a picked list file: the bare name when it lies in the executable folder.
std::u16string storedListPath(std::u16string_view picked, std::u16string_view executableFolder);
/// Where the folder chooser opens: the row's path, or the executable folder when it is empty.
std::u16string folderChooserStart(std::u16string_view path, std::u16string_view executableFolder);
/// The file "編集" opens in Notepad: a path without a folder lies in the executable folder.
std::u16string notepadTarget(std::u16string_view path, std::u16string_view executableFolder);

}  // namespace tvr::ui
