// SPDX-License-Identifier: MIT
#pragma once
// The command line of the headless server: --help, --version, --set-web-password and --data-dir DIR.
#include <string>
#include <vector>

namespace tvr::ui {

/// What the command line asks for.
struct ServerCommandLine {
    enum class Action { Run, Help, Version, SetWebPassword };
    Action action = Action::Run;
    std::string dataFolder;  // empty: beside the executable
};

/// Parses the arguments after the program name; false with a one-line message on a usage error.
bool parseServerCommandLine(const std::vector<std::string>& arguments, ServerCommandLine* line, std::string* error);
/// The text --help prints.
std::string serverUsage();
/// The folder that settings, log, lists and stores resolve against, created when missing (an
/// installed program's per-user folder on its first start); empty when it cannot be used, with
/// the folder that was wanted in *wanted. *copiedFrom (when given) names the settings file beside
/// the program that was copied into a new data folder, else stays empty.
std::u16string dataFolderFor(const ServerCommandLine& line, std::u16string* wanted,
                             std::u16string* copiedFrom = nullptr);

}  // namespace tvr::ui
