// SPDX-License-Identifier: MIT
#pragma once
// The main window's eight channel rows as data: the type names offered in each combo box, which
// of a row's controls a type enables, and reading the rows back into the channels.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace tvr::ui {

/// The type names in the window's language, in the order the combo boxes list them.
std::array<std::u16string_view, 5> channelTypeNames();

/// The name a channel type shows, or empty for a type the window does not know.
std::u16string_view channelTypeName(std::int32_t type);
/// The channel type a combo text stands for, or nothing when it matches no name.
std::optional<std::int32_t> channelTypeFromName(std::u16string_view name);
/// The combo item of a channel type, or -1 when it has none.
int comboIndexOf(std::int32_t type);

/// Which controls of a row are usable.
struct RowEnabling {
    bool pathEdit = false;
    bool folderButton = false;  // "フォル"
    bool editButton = false;    // "編集"
    bool operator==(const RowEnabling&) const = default;
};
/// The controls a row's combo text enables; a text that names no type leaves only the path edit.
RowEnabling rowEnabling(std::u16string_view typeName);

/// What a row shows: the combo's text and the path edit's text.
struct ChannelRowText {
    std::u16string typeName;
    std::u16string path;
};
using ChannelRows = std::array<ChannelRowText, core::kChannelCount>;

/// The rows as the channels fill them.
ChannelRows rowsFromChannels(std::span<const core::ChannelConfig, core::kChannelCount> channels);
/// Each row's path becomes its channel's path and its combo text the type; a text that matches
/// no name leaves the type as it was.
void readRowsIntoChannels(const ChannelRows& rows, std::span<core::ChannelConfig, core::kChannelCount> channels);

}  // namespace tvr::ui
