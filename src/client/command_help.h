// SPDX-License-Identifier: MIT
#pragma once
// What "tamvikvr-client commands" prints: every extended command the server knows, with its
// arguments and what it does.
#include <span>
#include <string>
#include <string_view>

namespace tvr::client {

struct CommandHelp {
    std::string_view name;
    std::string_view arguments;
    std::string_view meaning;
};

/// Every CM_ command, in the server's table order.
std::span<const CommandHelp> commandHelp();
/// The text the commands action prints: one command per line, arguments and meaning aligned.
std::string commandHelpText();

}  // namespace tvr::client
