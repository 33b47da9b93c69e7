// SPDX-License-Identifier: MIT
#include "ui/skip_note_text.h"

#include "core/text.h"
#include "ui/window_texts.h"

namespace tvr::ui {

namespace {

std::u16string counted(std::int64_t count, TextId one, TextId many, Language language) {
    return core::format(text(count == 1 ? one : many, language), {count});
}

}  // namespace

std::u16string extensionCounts(const std::vector<library::ExtensionCount>& extensions) {
    std::u16string list;
    for (const library::ExtensionCount& entry : extensions) {
        if (!list.empty()) list += u", ";
        list += core::format(u"%s %I64d", {std::u16string_view(entry.extension), entry.files});
    }
    return list;
}

std::u16string skipNoteText(const library::SkipNote& note, Language language) {
    const std::u16string videos = counted(note.shown, TextId::VideosOne, TextId::VideosMany, language);
    const std::u16string extensions = extensionCounts(note.extensions);
    if (note.channel < 0) {
        return core::format(text(TextId::SearchSkipped, language),
                            {videos, counted(note.skipped, TextId::NamesOne, TextId::NamesMany, language),
                             std::u16string_view(note.accepted), extensions});
    }
    return core::format(text(TextId::ListingSkipped, language),
                        {note.channel + 1, videos, counted(note.skipped, TextId::FilesOne, TextId::FilesMany, language),
                         std::u16string_view(note.accepted), extensions});
}

}  // namespace tvr::ui
