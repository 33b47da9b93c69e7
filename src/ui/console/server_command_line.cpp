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
           "a Windows install %APPDATA%\\TamvikVR, created on the first start (0700 on Linux). When\n"
           "that folder, or the DIR of --data-dir, holds no TamvikVRServer.ini yet and one lies beside\n"
           "the program, that file is copied in once and left where it was. The start-up summary names\n"
           "the folder in use and any settings file copied.\n"
           "The settings are described in configuration.md: /usr/share/doc/tamvikvr-server/ on Linux,\n"
           "the docs folder of a Windows install.\n"
           "\n"
           "Exit status:\n"
           "  0  stopped with everything saved (also when the settings file can neither be read nor\n"
           "     created, as the desktop program does: the server then does not start)\n"
           "  1  the data folder cannot be created\n"
           "  2  a wrong command line\n"
           "  3  stopped, but a change could not be saved (the settings file or the word list): the\n"
           "     last line names what and why (permission, read-only file system, no space, ...)\n";
}

std::u16string dataFolderFor(const ServerCommandLine& line, std::u16string* wanted, std::u16string* copiedFrom) {
    const std::u16string program = platform::executablePath();
    if (line.dataFolder.empty()) {
        *wanted = core::defaultDataFolder(program, platform::userConfigFolder());
    } else {
        *wanted = platform::fromUtf8(line.dataFolder);
    }
    // Without a per-user folder the rule gives the program's own folder, where an earlier
    // install kept its settings.
    if (!core::prepareDataFolder(*wanted, core::defaultDataFolder(program, {}), copiedFrom)) return {};
    return line.dataFolder.empty() ? *wanted : platform::canonicalFolder(*wanted);
}

}  // namespace tvr::ui
