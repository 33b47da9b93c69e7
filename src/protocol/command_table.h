// SPDX-License-Identifier: MIT
#pragma once
// The extended commands ("CM_..."): one table row per command, a name compared whole and
// case-sensitively, and one handler function. A handler reads the four arguments, adds reply
// entries and returns the command's result; each entry becomes one result record in the reply
// sink, whatever the result.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/handler_context.h"
#include "protocol/wire.h"

namespace tvr::protocol {

/// One command record being answered.
class CommandCall {
public:
    /// Reply entries beyond this many are not kept (the headset's reply table).
    static constexpr std::size_t kMaxEntries = 32;

    explicit CommandCall(CommandRecord record) : record_(std::move(record)) {}
    /// Argument i (0..3) as received.
    const std::u16string& arg(int i) const { return record_.args[i]; }
    /// Argument i read as a 32-bit wide decimal (blanks, sign, digits; none gives 0).
    std::int32_t intArg(int i) const;
    /// Argument i read as a 64-bit wide decimal.
    std::int64_t int64Arg(int i) const;
    /// Argument i's length in bytes as received, terminator included.
    std::uint32_t argBytes(int i) const { return record_.argBytes[i]; }
    const std::u16string& name() const { return record_.name; }
    /// Adds a reply entry (value and text); ignored past kMaxEntries.
    void addEntry(std::int32_t value, std::u16string text);
    const std::vector<ResultEntry>& entries() const { return entries_; }

private:
    CommandRecord record_;
    std::vector<ResultEntry> entries_;
};

using CommandHandler = bool (*)(HandlerContext& context, CommandCall& call);

/// One command: its name, its handler, and for the people who type it (tamvikvr-client
/// commands) its argument names and one line of what it does.
struct CommandRow {
    std::u16string_view name;
    CommandHandler handler;
    std::string_view arguments;
    std::string_view meaning;
};

/// Every command row, group by group.
std::vector<CommandRow> allCommands();
/// The handler registered under exactly this name, or nullptr.
CommandHandler findCommand(std::u16string_view name);
/// Decodes the command record, runs its handler, appends its entries to the reply sink and returns
/// the result; a malformed record or an unknown name gives false and no entries.
bool dispatchCommand(HandlerContext& context, const RecordView& payload);

/// CM_SET_CHANNEL_TYPE and CM_GET_CHANNEL_TYPE.
std::span<const CommandRow> channelCommands();
/// CM_PLAY, CM_IS_FIND_PATH, CM_MAKE_DIR, CM_COPYTIMESTAMP.
std::span<const CommandRow> fileCommands();
/// CM_LIVE_TIME, CM_SET_FAVORITE, CM_CLIENT_LOG.
std::span<const CommandRow> sessionCommands();
/// CM_GET_MARKER_LIST, CM_SAVE_MARKER, CM_LOAD_MARKER.
std::span<const CommandRow> markerCommands();
/// The four CM_INI_ commands on the settings file.
std::span<const CommandRow> iniCommands();
/// The seven CM_WORDLIST_ commands.
std::span<const CommandRow> wordListCommands();
/// CM_SAVE_VR_FORMAT and CM_LOAD_VR_FORMAT.
std::span<const CommandRow> vrFormatCommands();
/// The nine search commands.
std::span<const CommandRow> searchCommands();

}  // namespace tvr::protocol
