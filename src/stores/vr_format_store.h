// SPDX-License-Identifier: MIT
#pragma once
// Per-video VR formats: one UTF-16LE INI file "<base name>.ini" per video in the VR format folder,
// holding the layout and the screen type the headset chose for that video.
#include <string>
#include <string_view>

namespace tvr::stores {

struct VrFormat {
    std::u16string layout;
    std::u16string screen;
    bool operator==(const VrFormat&) const = default;
};

/// The VR format file of a video: folder, "/" unless it ends in a separator, base name, ".ini".
std::u16string vrFormatFileFor(std::u16string_view folder, std::u16string_view videoPath);
/// Reads both keys; false when the folder is empty or the file or either key is missing (an empty value counts).
bool loadVrFormat(std::u16string_view folder, std::u16string_view videoPath, VrFormat* format);
/// Writes both keys in one atomic replace; false when the folder is empty or the keys were not written.
bool saveVrFormatFile(std::u16string_view folder, const VrFormat& format, std::u16string_view videoPath);
/// Renames the file with its video, never over an existing one; true also when there is nothing to move.
bool moveVrFormatFile(std::u16string_view folder, std::u16string_view newVideoPath, std::u16string_view oldVideoPath);

}  // namespace tvr::stores
