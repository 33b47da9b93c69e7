// SPDX-License-Identifier: MIT
// tamvikvr-client: a command-line stand-in for the headset, for diagnosing a setup and for
// end-to-end tests. Everything it does lives in the client library.
#include <iostream>
#include <string>
#include <vector>

#include "client/cli_commands.h"
#include "platform/console.h"
#include "platform/socket.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Fetched video bytes go to standard output unchanged.
    tvr::platform::setBinaryStandardOutput();
    std::vector<std::string> arguments = tvr::platform::utf8Arguments(argc, argv);
    if (!tvr::platform::socketsStartup()) {
        std::cerr << "tamvikvr-client: the socket library cannot be started\n";
        return tvr::client::kExitIo;
    }
    int status = tvr::client::runCommandLine(arguments, std::cout, std::cerr);
    std::cout.flush();
    tvr::platform::socketsCleanup();
    return status;
}
