// SPDX-License-Identifier: MIT
#include "ui/console/server_command_line.h"

#include "core/data_folder.h"
#include "core/data_folder_setup.h"
#include "core/paths.h"
#include "platform/fs.h"
#include "platform/system_paths.h"
#include "platform/utf.h"

namespace tvr::ui {

bool parseServerCommandLine(const std::vector<std::string>& arguments, ServerCommandLine* line, std::string* error) {
    // Asking for help never fails, whatever else the line holds.
    for (const std::string& token : arguments) {
        if (token == "--help" || token == "-h") {
            line->action = ServerCommandLine::Action::Help;
            return true;
        }
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& token = arguments[i];
        if (token == "--version") {
            line->action = ServerCommandLine::Action::Version;
        } else if (token == "--set-web-password") {
            line->action = ServerCommandLine::Action::SetWebPassword;
        } else if (token.starts_with("--set-web-password=")) {
            // A password on the command line would stay in the shell's history and the process list.
            *error = "--set-web-password takes no value: it reads the password from the terminal";
            return false;
        } else if (token == "--data-dir" || token.starts_with("--data-dir=")) {
            std::string value;
            if (token == "--data-dir") {
                if (i + 1 == arguments.size()) {
                    *error = "--data-dir needs a folder";
                    return false;
                }
                value = arguments[++i];
            } else {
                value = token.substr(11);
            }
            if (value.empty()) {
                *error = "--data-dir needs a folder";
                return false;
            }
            line->dataFolder = value;
        } else {
            *error = token.starts_with("-") ? "unknown option " + token : "unexpected argument \"" + token + "\"";
            return false;
        }
    }
    return true;
}

std::string serverUsage() {
    return "Usage: tamvikvr-server [--data-dir DIR]\n"
           "Runs the TamvikVR server until SIGINT (Ctrl+C) or SIGTERM.\n"
           "\n"
           "  --data-dir DIR  keep TamvikVRServer.ini, the log, the list files and the stores in DIR\n"
           "                  (created when missing) instead of the default data folder\n"
           "  --set-web-password\n"
           "                  read a web password from the terminal (not shown), keep only its hash in\n"
           "                  the data folder and exit; browsers on the home network sign in with it\n"
           "                  ([Config] iUseWebLan=1)\n"
           "  --version       print the version and exit\n"
           "  --help, -h      print this text and exit\n"
           "\n"
           "The default data folder is the executable's own; a Linux server installed in /usr/bin or\n"
           "/usr/local/bin uses $XDG_CONFIG_HOME/tamvikvr (default ~/.config/tamvikvr) instead, and\n"
           "a Windows install %APPDATA%\\TamvikVR, created on the first start (0700 on Linux). The\n"
           "start-up summary names the folder in use.\n"
           "Settings: see docs/configuration.md (installed: /usr/share/doc/tamvikvr-server/).\n";
}

std::u16string dataFolderFor(const ServerCommandLine& line, std::u16string* wanted) {
    const std::u16string program = platform::executablePath();
    if (line.dataFolder.empty()) {
        *wanted = core::defaultDataFolder(program, platform::userConfigFolder());
    } else {
        *wanted = platform::fromUtf8(line.dataFolder);
    }
    // Without a per-user folder the rule gives the program's own folder, where an earlier
    // install kept its settings.
    if (!core::prepareDataFolder(*wanted, core::defaultDataFolder(program, {}))) return {};
    return line.dataFolder.empty() ? *wanted : platform::canonicalFolder(*wanted);
}

}  // namespace tvr::ui
