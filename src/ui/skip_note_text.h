// SPDX-License-Identifier: MIT
#pragma once
// The words of a skip note: how many files a listing or a search left out for their extension,
// the most common of those extensions, and the setting that would take them.
#include <string>
#include <vector>

#include "library/skipped_files.h"
#include "ui/language.h"

namespace tvr::ui {

/// "mkv 25, avi 6": each extension with its count, most common first.
std::u16string extensionCounts(const std::vector<library::ExtensionCount>& extensions);
/// "channel 2: 0 videos listed; 31 files left out whose extensions are not in [File] pcExt (mp4):
/// mkv 25, avi 6 — add them to pcExt", or the search's line, in the language given.
std::u16string skipNoteText(const library::SkipNote& note, Language language);

}  // namespace tvr::ui
