// SPDX-License-Identifier: MIT
#include "protocol/command_table.h"

#include <array>

#include "core/text.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

// Every group of commands; a name appears in one group only, so the order matters only to the
// client's list of them, which follows it.
constexpr std::array kGroups{fileCommands,    channelCommands, markerCommands, vrFormatCommands,
                             sessionCommands, iniCommands,     searchCommands, wordListCommands};

}  // namespace

std::int32_t CommandCall::intArg(int i) const { return core::scanInt32(arg(i)); }

std::int64_t CommandCall::int64Arg(int i) const { return core::scanInt64(arg(i)); }

void CommandCall::addEntry(std::int32_t value, std::u16string text) {
    if (entries_.size() >= kMaxEntries) return;
    entries_.push_back({static_cast<std::int32_t>(entries_.size()), value, std::move(text)});
}

std::vector<CommandRow> allCommands() {
    std::vector<CommandRow> rows;
    for (auto group : kGroups) rows.insert(rows.end(), group().begin(), group().end());
    return rows;
}

CommandHandler findCommand(std::u16string_view name) {
    for (auto group : kGroups) {
        for (const CommandRow& row : group()) {
            if (row.name == name) return row.handler;
        }
    }
    return nullptr;
}

bool dispatchCommand(HandlerContext& context, const RecordView& payload) {
    CommandRecord record;
    if (!decodeCommandPayload(payload, &record)) {
        context.status.post(status::kError, status::kErrorText, u"コマンドレコードが不正");
        return false;
    }
    CommandHandler handler = findCommand(record.name);
    if (handler == nullptr)
        return refuse(context, u"not a command this server knows (tamvikvr-client commands lists them)");
    CommandCall call(std::move(record));
    bool result = handler(context, call);
    for (const ResultEntry& entry : call.entries()) context.reply.appendResult(entry.index, entry.value, entry.text);
    return result;
}

}  // namespace tvr::protocol
