// SPDX-License-Identifier: MIT
// Command records ("MSGE"): a command name with four text arguments, answered with one result
// record ("RTMS") per reply entry. Commands not built yet fall through to result 0.
#include <functional>
#include <string_view>

#include "core/text.h"
#include "library/channels.h"
#include "protocol/control_server.h"

namespace tvr::protocol {

namespace {

struct CommandCall {
    CommandRecord record;
    std::vector<ResultEntry> entries;

    void addEntry(std::int32_t value, std::u16string text) {
        if (entries.size() >= 32) return;
        entries.push_back({static_cast<std::int32_t>(entries.size()), value, std::move(text)});
    }
};

}  // namespace

bool ControlServer::dispatchCommand(const RecordView& payload) {
    CommandCall command;
    if (!decodeCommandPayload(payload, &command.record)) {
        postStatus(0x201, u"エラー", u"コマンドレコードが不正");
        return false;
    }
    const auto& name = command.record.name;
    const auto& args = command.record.args;
    bool result = false;
    if (name == u"CM_SET_CHANNEL_TYPE") {
        std::int32_t channel = core::scanInt32(args[0]);
        std::int32_t type = core::scanInt32(args[1]);
        result = library::setChannelType(config_, channel, type, args[2]) == 1;
        if (result && frontEnd_ != nullptr) {
            const auto& changed = config_.channels[static_cast<std::size_t>(channel)];
            frontEnd_->post({core::kRefreshChannels, channel, changed.type, changed.path});
        }
    } else if (name == u"CM_GET_CHANNEL_TYPE") {
        std::int32_t channel = core::scanInt32(args[0]);
        if (channel >= 0 && channel < core::kChannelCount) {
            const auto& chosen = config_.channels[static_cast<std::size_t>(channel)];
            command.addEntry(chosen.type, chosen.path);
            result = true;
        }
    }
    for (const auto& entry : command.entries) send_.appendRecord(kResult, encodeResultPayload(entry));
    return result;
}

}  // namespace tvr::protocol
