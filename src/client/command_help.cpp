// SPDX-License-Identifier: MIT
#include "client/command_help.h"

#include "platform/utf.h"
#include "protocol/command_table.h"

namespace tvr::client {

std::string commandHelpText() {
    std::string text =
        "Extended commands: tamvikvr-client command NAME [ARG0 [ARG1 [ARG2 [ARG3]]]]\n"
        "Each answers with lines \"index<TAB>value<TAB>text\", then #RET_OK() or #RET_ERR(...).\n\n";
    for (const protocol::CommandRow& command : protocol::allCommands()) {
        std::string head = "  " + platform::toUtf8(command.name);
        if (!command.arguments.empty()) head += " " + std::string(command.arguments);
        text += head + "\n      " + std::string(command.meaning) + "\n";
    }
    return text;
}

}  // namespace tvr::client
