// SPDX-License-Identifier: MIT
#include "ui/channel_rows.h"

#include "ui/window_texts.h"

namespace tvr::ui {
namespace {

// The channel type each combo item stands for, in combo order.
constexpr std::array<std::int32_t, 5> kComboTypes = {core::kChannelVrDevice, core::kChannelPcFolder,
                                                     core::kChannelPlaylist, core::kChannelSearchList,
                                                     core::kChannelFavoriteList};

}  // namespace

int comboIndexOf(std::int32_t type) {
    for (std::size_t i = 0; i < kComboTypes.size(); ++i) {
        if (kComboTypes[i] == type) return static_cast<int>(i);
    }
    return -1;
}

std::array<std::u16string_view, 5> channelTypeNames() {
    return {text(TextId::TypeVrDevice), text(TextId::TypePcFolder), text(TextId::TypePlaylist),
            text(TextId::TypeSearchList), text(TextId::TypeFavoriteList)};
}

std::u16string_view channelTypeName(std::int32_t type) {
    int index = comboIndexOf(type);
    return index < 0 ? std::u16string_view() : channelTypeNames()[static_cast<std::size_t>(index)];
}

std::optional<std::int32_t> channelTypeFromName(std::u16string_view name) {
    const std::array<std::u16string_view, 5> names = channelTypeNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return kComboTypes[i];
    }
    return std::nullopt;
}

RowEnabling rowEnabling(std::u16string_view typeName) {
    std::optional<std::int32_t> type = channelTypeFromName(typeName);
    if (!type) return {true, false, false};
    switch (*type) {
        case core::kChannelVrDevice:
            return {false, false, false};
        case core::kChannelPcFolder:
            return {true, true, false};
        default:
            return {true, true, true};
    }
}

ChannelRows rowsFromChannels(std::span<const core::ChannelConfig, core::kChannelCount> channels) {
    ChannelRows rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].typeName = channelTypeName(channels[i].type);
        rows[i].path = channels[i].path;
    }
    return rows;
}

void readRowsIntoChannels(const ChannelRows& rows, std::span<core::ChannelConfig, core::kChannelCount> channels) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        channels[i].path = rows[i].path;
        if (std::optional<std::int32_t> type = channelTypeFromName(rows[i].typeName)) channels[i].type = *type;
    }
}

}  // namespace tvr::ui
