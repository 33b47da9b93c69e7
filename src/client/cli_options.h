// SPDX-License-Identifier: MIT
#pragma once
// The command line of tamvikvr-client: global options before the action, the action's own
// arguments after it. Parsing is pure so that every rule can be checked without a server.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvr::client {

enum class Action { Help, Version, Commands, Handshake, List, Command, Search, Fetch, Hold };

/// Everything the command line asks for.
struct CliOptions {
    Action action = Action::Help;
    std::string host = "127.0.0.1";
    std::uint16_t port = 11922;
    std::uint16_t httpPort = 0;  // 0: the port the handshake announces
    std::optional<std::u16string> password;
    int timeoutMs = 30000;

    // list
    std::int32_t channel = 0;
    std::optional<std::int32_t> sortName;
    std::optional<std::int32_t> sortMode;
    std::optional<std::int32_t> sortMode2nd;

    // command
    std::u16string commandName;
    std::u16string args[4];

    // search
    std::u16string searchText;

    // fetch
    std::u16string fetchPath;
    std::int32_t stream = 0;
    std::int64_t from = 0;
    std::u16string output = u"-";  // "-" is standard output

    // hold
    std::optional<std::int64_t> holdSeconds;  // none: until SIGTERM or SIGINT
};

/// Longest hold the command line takes, in seconds (thirty days).
inline constexpr std::int64_t kMaxHoldSeconds = 30LL * 24 * 60 * 60;

/// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitIo = 3;

/// Parses the arguments after the program name; false with a one-line message on a usage error.
bool parseCommandLine(const std::vector<std::string>& arguments, CliOptions* options, std::string* error);
/// The text --help prints.
std::string usageText();

}  // namespace tvr::client
