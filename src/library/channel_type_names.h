// SPDX-License-Identifier: MIT
#pragma once
// The names of the channel types, in one table: what the headset shows in its channel list
// ("#RET_CH_NAME") and what the start-up summary says in English.
#include <array>
#include <cstdint>
#include <string_view>

#include "core/settings.h"

namespace tvr::library {

struct ChannelTypeName {
    std::int32_t type;
    std::u16string_view headset;  // empty for a playlist: the headset sees its list file's own name
    std::u16string_view english;
};

inline constexpr std::array kChannelTypeNames{
    ChannelTypeName{core::kChannelPcFolder, u"PCフォルダ", u"PC folder"},
    ChannelTypeName{core::kChannelVrDevice, u"VRデバイス", u"VR device"},
    ChannelTypeName{core::kChannelSearchList, u"検索", u"search list"},
    ChannelTypeName{core::kChannelFavoriteList, u"お気に入り", u"favourites list"},
    ChannelTypeName{core::kChannelPlaylist, u"", u"playlist"},
};

/// The names of a type; nullptr for a type the server does not know.
inline const ChannelTypeName* findChannelTypeName(std::int32_t type) {
    for (const ChannelTypeName& names : kChannelTypeNames) {
        if (names.type == type) return &names;
    }
    return nullptr;
}

}  // namespace tvr::library
