// SPDX-License-Identifier: MIT
#include "library/channel_explain.h"

#include "core/path_parts.h"
#include "core/paths.h"
#include "core/text.h"
#include "library/channel_type_names.h"
#include "library/channels.h"
#include "platform/fs.h"

namespace tvr::library {

std::u16string channelTypeName(std::int32_t type) {
    const ChannelTypeName* names = findChannelTypeName(type);
    return names != nullptr ? std::u16string(names->english) : core::format(u"unknown type %d", {type});
}

std::u16string explainUnresolvedChannel(const core::Config& config, int index) {
    const core::ChannelConfig& channel = config.channels[static_cast<std::size_t>(index)];
    const std::u16string section = core::format(u"ch.%d", {index});
    const std::u16string& path = channel.path;
    if (path == u"(Computer)") return u"the drive overview, browsed from the headset";
    if (path == u"(DeviceVide)") return u"the headset's own videos, nothing on the PC";
    if (path == u"(PCVideo)") return u"no Videos folder is known: set XDG_VIDEOS_DIR or make ~/Videos";
    if (channel.type == core::kChannelPcFolder) {
        if (path.empty()) return core::format(u"not set: give [%s] pcPath a folder or (PCVideo)", {section});
        // A relative folder is looked up from the server's working folder, which few expect.
        std::u16string where;
        if (!core::isAbsolutePath(path)) {
            where = core::format(u" (a relative path: it resolved to %s)",
                                 {platform::displayPath(platform::canonicalPath(path))});
        }
        return core::format(u"the folder does not exist%s: give [%s] pcPath an existing folder or (PCVideo)",
                            {where, section});
    }
    std::u16string candidate = core::dataFolder();
    core::appendPath(candidate, path);
    if (channel.type == core::kChannelSearchList || channel.type == core::kChannelFavoriteList) {
        return core::format(u"no list file yet at %s; the headset writes it when it saves this list",
                            {platform::displayPath(candidate)});
    }
    if (channel.type == core::kChannelPlaylist) {
        return core::format(u"no list file at %s; write one with a folder or video per line",
                            {platform::displayPath(candidate)});
    }
    return core::format(u"%s not found", {platform::displayPath(candidate)});
}

namespace {

std::u16string channelLabel(const core::Config& config, std::int32_t channel) {
    const core::ChannelConfig& entry = config.channels[static_cast<std::size_t>(channel)];
    return core::format(u"channel %d ([ch.%d], %s)", {channel + 1, channel, channelTypeName(entry.type)});
}

}  // namespace

std::u16string explainUnlistedChannel(const core::Config& config, std::int32_t channel) {
    if (channel < 0 || channel >= core::kChannelCount) {
        return core::format(u"there is no channel <ch>%d: the headset numbers channels 0 to 7 (the console 1 to 8)",
                            {channel});
    }
    const std::u16string which = channelLabel(config, channel);
    ChannelRoot root;
    if (resolveChannelRoot(config, channel, &root)) {
        return core::format(u"%s: the list file %s cannot be read", {which, root.root});
    }
    return which + u": " + explainUnresolvedChannel(config, channel);
}

std::u16string explainAbandonedListing(const core::Config& config, std::int32_t channel) {
    return channelLabel(config, channel) + u": the headset left before the listing ended";
}

}  // namespace tvr::library
