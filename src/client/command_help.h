// SPDX-License-Identifier: MIT
#pragma once
// What "tamvikvr-client commands" prints: every extended command the server knows, with its
// arguments and what it does, from the server's own command table.
#include <string>

namespace tvr::client {

/// The text the commands action prints: one command per line, arguments and meaning aligned.
std::string commandHelpText();

}  // namespace tvr::client
