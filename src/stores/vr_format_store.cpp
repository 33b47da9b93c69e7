// SPDX-License-Identifier: MIT
#include "stores/vr_format_store.h"

#include <array>

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/ini_file.h"

namespace tvr::stores {

namespace {

constexpr std::u16string_view kSection = u"VIDEO";
constexpr std::u16string_view kLayoutKey = u"ImageLayout";
constexpr std::u16string_view kScreenKey = u"ScreenType";
// Read as the value of a missing key; no stored value can be this one control character.
constexpr std::u16string_view kMissing = u"\u0001";

bool isExistingFile(std::u16string_view path) { return platform::pathKind(path) == platform::PathKind::File; }

}  // namespace

std::u16string vrFormatFileFor(std::u16string_view folder, std::u16string_view videoPath) {
    std::u16string file(folder);
    core::appendPath(file, core::splitPath(videoPath).name);
    file += u".ini";
    return core::appFilePath(file);
}

bool loadVrFormat(std::u16string_view folder, std::u16string_view videoPath, VrFormat* format) {
    if (folder.empty()) return false;
    const std::u16string file = vrFormatFileFor(folder, videoPath);
    if (!isExistingFile(file)) return false;
    std::u16string layout = platform::iniReadString(file, kSection, kLayoutKey, kMissing);
    if (layout == kMissing) return false;
    format->layout = std::move(layout);
    std::u16string screen = platform::iniReadString(file, kSection, kScreenKey, kMissing);
    if (screen == kMissing) return false;
    format->screen = std::move(screen);
    return true;
}

bool saveVrFormatFile(std::u16string_view folder, const VrFormat& format, std::u16string_view videoPath) {
    if (folder.empty()) return false;
    const std::array<platform::IniEntry, 2> entries = {
        platform::IniEntry{kSection, kLayoutKey, format.layout},
        platform::IniEntry{kSection, kScreenKey, format.screen},
    };
    return platform::iniWriteStrings(vrFormatFileFor(folder, videoPath), entries);
}

bool moveVrFormatFile(std::u16string_view folder, std::u16string_view newVideoPath, std::u16string_view oldVideoPath) {
    // Without a folder no file can have been saved.
    if (folder.empty()) return true;
    const std::u16string oldFile = vrFormatFileFor(folder, oldVideoPath);
    const std::u16string newFile = vrFormatFileFor(folder, newVideoPath);
    if (!isExistingFile(oldFile)) return true;
    // A video moved under the same base name keeps the very same file.
    if (oldFile == newFile) return true;
    return platform::moveNoOverwrite(oldFile, newFile);
}

}  // namespace tvr::stores
