// SPDX-License-Identifier: MIT
// CM_SET_CHANNEL_TYPE and CM_GET_CHANNEL_TYPE: the headset reads and changes a channel's type.
#include <array>

#include "library/channels.h"
#include "protocol/command_table.h"

namespace tvr::protocol {

namespace {

bool setChannelType(HandlerContext& context, CommandCall& call) {
    std::int32_t channel = call.intArg(0);
    if (library::setChannelType(context.config, channel, call.intArg(1), call.arg(2)) != 1) return false;
    if (context.frontEnd != nullptr) {
        const auto& changed = context.config.channels[static_cast<std::size_t>(channel)];
        context.frontEnd->post({core::kRefreshChannels, channel, changed.type, changed.path});
    }
    return true;
}

bool getChannelType(HandlerContext& context, CommandCall& call) {
    std::int32_t channel = call.intArg(0);
    if (channel < 0 || channel >= core::kChannelCount) return false;
    const auto& chosen = context.config.channels[static_cast<std::size_t>(channel)];
    call.addEntry(chosen.type, chosen.path);
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_SET_CHANNEL_TYPE", setChannelType},
    CommandRow{u"CM_GET_CHANNEL_TYPE", getChannelType},
};

}  // namespace

std::span<const CommandRow> channelCommands() { return kRows; }

}  // namespace tvr::protocol
