// SPDX-License-Identifier: MIT
#pragma once
// The actions of tamvikvr-client: every one connects, runs the handshake (and the password when
// the server asks), then lists a channel, runs an extended command, fetches a file or holds the
// connection open. Replies go to out as UTF-8 lines, one-line errors to err; the result is the
// exit status.
#include <ostream>
#include <string>
#include <vector>

#include "client/cli_options.h"
#include "protocol/wire.h"

namespace tvr::client {

/// Parses the arguments after the program name and runs the action.
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
/// Runs an already parsed command line.
int runCli(const CliOptions& options, std::ostream& out, std::ostream& err);

/// The error lines for a refused request: what was refused, the reply, and what its code and
/// text are (the server's last status, glossed), since they are not the reason.
std::string explainRefusal(const std::string& what, std::u16string_view final);
/// The "#CMD_GET_CHANNEL" request: the channel and only the sort keys that were given.
std::u16string listRequest(const CliOptions& options);
/// The "#CMD_PASSWORD" request.
std::u16string passwordRequest(std::u16string_view password);
/// "value<TAB>folder/name" for one file of a list record.
std::string formatListEntry(const protocol::ListEntry& entry);
/// "index<TAB>value<TAB>text" for one result entry.
std::string formatResultEntry(const protocol::ResultEntry& entry);

}  // namespace tvr::client
