// SPDX-License-Identifier: MIT
// CM_SET_CHANNEL_TYPE and CM_GET_CHANNEL_TYPE: the headset reads and changes a channel's type.
#include <array>

#include "core/text.h"
#include "library/channels.h"
#include "protocol/command_table.h"

namespace tvr::protocol {

namespace {

bool setChannelType(HandlerContext& context, CommandCall& call) {
    std::int32_t channel = call.intArg(0);
    std::int32_t type = call.intArg(1);
    if (!library::setChannelType(context.config, channel, type, call.arg(2))) {
        if (channel < 0 || channel >= core::kChannelCount)
            return refuse(context, core::format(u"there is no channel %d: the headset numbers channels 0 to 7 "
                                                u"(the console 1 to 8)",
                                                {channel}));
        if (type != core::kChannelPcFolder && type != core::kChannelVrDevice)
            return refuse(context,
                          core::format(u"type %d cannot be set: only 0 (PC folder) and 1 (VR device)", {type}));
        return refuse(context,
                      u"the path cannot be stored in the settings file: it holds a line break, a NUL or "
                      u"a broken UTF-16 character");
    }
    const auto& changed = context.config.channels[static_cast<std::size_t>(channel)];
    if (context.frontEnd != nullptr) {
        context.channelChanges.add(channel, changed);
        context.frontEnd->post({core::kRefreshChannels, channel, changed.type, changed.path});
    }
    // OK tells the headset the change survives anything: it leaves only once the file holds it.
    if (context.channelSaver != nullptr && !context.channelSaver->saveChannel(channel, changed.type, changed.path))
        return refuse(context,
                      u"the settings file could not be written in time: the channel is changed, and its "
                      u"save is tried again");
    return true;
}

bool getChannelType(HandlerContext& context, CommandCall& call) {
    std::int32_t channel = call.intArg(0);
    if (channel < 0 || channel >= core::kChannelCount)
        return refuse(context, core::format(u"there is no channel %d: the headset numbers channels 0 to 7 "
                                            u"(the console 1 to 8)",
                                            {channel}));
    const auto& chosen = context.config.channels[static_cast<std::size_t>(channel)];
    call.addEntry(chosen.type, chosen.path);
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_SET_CHANNEL_TYPE", setChannelType, "CH TYPE PATH",
               "set channel CH (0 to 7) to TYPE 0 PC folder PATH, or 1 VR device; saved at once"},
    CommandRow{u"CM_GET_CHANNEL_TYPE", getChannelType, "CH", "channel CH's type (value) and path (text)"},
};

}  // namespace

std::span<const CommandRow> channelCommands() { return kRows; }

}  // namespace tvr::protocol
