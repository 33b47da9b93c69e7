// SPDX-License-Identifier: MIT
#include "client/cli_options.h"

#include <limits>
#include <string_view>

#include "platform/utf.h"

namespace tvr::client {

namespace {

// Whole-token decimal number within [low, high]; a sign only where low is negative.
bool parseNumber(std::string_view text, std::int64_t low, std::int64_t high, std::int64_t* value) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        if (low >= 0) return false;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 19) return false;
    std::uint64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
    std::int64_t signedValue = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (signedValue < low || signedValue > high) return false;
    *value = signedValue;
    return true;
}

// A token that is a value, not an option: anything not starting with '-', "-" itself, or a negative number.
bool isPositional(std::string_view token) {
    return token.empty() || token[0] != '-' || token == "-" || (token.size() > 1 && token[1] >= '0' && token[1] <= '9');
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
const std::string kSortNameValues =
    "0 (name), 1 (date and time), 2 (date, then name), 3 (series groups, then name) or 4 (no sorting; series "
    "gathered)";
const std::string kSortModeValues = "1 (ascending) or 0 (descending)";
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

class Parser {
public:
    Parser(CliOptions* options, std::string* error) : options_(options), error_(error) {}

    bool run(const std::vector<std::string>& arguments) {
        // Asking for help or the version never fails, whatever else the line holds; help wins.
        for (const std::string& token : arguments) {
            if (token == "--") break;
            if (token == "--help" || token == "-h") {
                options_->action = Action::Help;
                return true;
            }
            if (token == "--version") options_->action = Action::Version;
        }
        if (options_->action == Action::Version) return true;
        std::vector<std::string> positional;
        bool optionsEnded = false;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& token = arguments[i];
            if (optionsEnded || isPositional(token)) {
                positional.push_back(token);
            } else if (token == "--") {
                optionsEnded = true;
            } else if (!option(arguments, &i)) {
                return false;
            }
        }
        return actionFrom(positional) && checkOptionsFit();
    }

private:
    bool fail(const std::string& message) {
        *error_ = message;
        return false;
    }

    bool number(const std::string& name, const std::string& text, std::int64_t low, std::int64_t high,
                std::int64_t* value) {
        if (parseNumber(text, low, high, value)) return true;
        return fail(name + " needs a number from " + std::to_string(low) + " to " + std::to_string(high) + ", not \"" +
                    text + "\"");
    }

    // Reads "--name value" or "--name=value"; *index moves past a separate value.
    bool option(const std::vector<std::string>& arguments, std::size_t* index) {
        std::string name = arguments[*index];
        std::string value;
        std::size_t equals = name.find('=');
        if (equals != std::string::npos) name.resize(equals);
        if (!isKnown(name)) return fail("unknown option " + name);
        if (equals != std::string::npos) {
            value = arguments[*index].substr(equals + 1);
        } else if (*index + 1 < arguments.size()) {
            value = arguments[++*index];
        } else {
            return fail(name + " needs a value");
        }
        seen_.push_back(name);
        std::int64_t n = 0;
        if (name == "--host") {
            if (value.empty()) return fail("--host needs a host name or address");
            options_->host = value;
        } else if (name == "--port" || name == "--http-port") {
            if (!number(name, value, 1, 65535, &n)) return false;
            (name == "--port" ? options_->port : options_->httpPort) = static_cast<std::uint16_t>(n);
        } else if (name == "--password") {
            // The server reads the password up to the next double quote; one inside could never match.
            if (value.find('"') != std::string::npos) return fail("a password cannot contain a double quote");
            options_->password = platform::fromUtf8(value);
        } else if (name == "--timeout") {
            if (!number(name, value, 1, 3600000, &n)) return false;
            options_->timeoutMs = static_cast<int>(n);
        } else if (name == "--sort-name" || name == "--sort-mode" || name == "--sort-mode-2nd") {
            // The server reads any number, but only these mean something; a typo would list unsorted.
            bool key = name == "--sort-name";
            if (!parseNumber(value, 0, key ? 4 : 1, &n))
                return fail(name + " takes " + (key ? kSortNameValues : kSortModeValues) + ", not \"" + value + "\"");
            auto& target = name == "--sort-name"   ? options_->sortName
                           : name == "--sort-mode" ? options_->sortMode
                                                   : options_->sortMode2nd;
            target = static_cast<std::int32_t>(n);
        } else if (name == "--stream") {
            if (!number(name, value, 0, kInt32Max, &n)) return false;
            options_->stream = static_cast<std::int32_t>(n);
        } else if (name == "--from") {
            if (!number(name, value, 0, std::numeric_limits<std::int64_t>::max(), &n)) return false;
            options_->from = n;
        } else {
            if (value.empty()) return fail("--output needs a file name or \"-\"");
            options_->output = platform::fromUtf8(value);
        }
        return true;
    }

    static bool isKnown(const std::string& name) {
        for (const char* known : {"--host", "--port", "--http-port", "--password", "--timeout", "--sort-name",
                                  "--sort-mode", "--sort-mode-2nd", "--stream", "--from", "--output"})
            if (name == known) return true;
        return false;
    }

    bool actionFrom(const std::vector<std::string>& positional) {
        if (positional.empty())
            return fail("no action given (handshake, list, command, commands, search, fetch or hold)");
        const std::string& action = positional[0];
        std::size_t count = positional.size() - 1;
        if (action == "commands") {
            options_->action = Action::Commands;
            return count == 0 || fail("commands takes no arguments");
        }
        if (action == "handshake") {
            options_->action = Action::Handshake;
            return count == 0 || fail("handshake takes no arguments");
        }
        if (action == "list") {
            options_->action = Action::List;
            if (count != 1) return fail("list needs exactly one channel number");
            std::int64_t channel = 0;
            if (!number("the channel", positional[1], kInt32Min, kInt32Max, &channel)) return false;
            options_->channel = static_cast<std::int32_t>(channel);
            return true;
        }
        if (action == "command") {
            options_->action = Action::Command;
            if (count == 0) return fail("command needs a command name such as CM_IS_FIND_PATH");
            if (count > 5) return fail("command takes at most four arguments after the name");
            if (positional[1].rfind("CM_", 0) != 0)
                return fail("command names begin with CM_, not \"" + positional[1] + "\"");
            options_->commandName = platform::fromUtf8(positional[1]);
            for (std::size_t i = 2; i < positional.size(); ++i)
                options_->args[i - 2] = platform::fromUtf8(positional[i]);
            return true;
        }
        if (action == "search") {
            options_->action = Action::Search;
            if (count != 1 || positional[1].empty()) return fail("search needs exactly one non-empty text");
            options_->searchText = platform::fromUtf8(positional[1]);
            return true;
        }
        if (action == "fetch") {
            options_->action = Action::Fetch;
            if (count != 1) return fail("fetch needs exactly one file path");
            if (positional[1].empty()) return fail("fetch needs a non-empty file path");
            options_->fetchPath = platform::fromUtf8(positional[1]);
            return true;
        }
        if (action == "hold") {
            options_->action = Action::Hold;
            if (count > 1) return fail("hold takes at most one number of seconds");
            if (count == 0) return true;
            std::int64_t seconds = 0;
            if (!number("hold", positional[1], 0, kMaxHoldSeconds, &seconds)) return false;
            options_->holdSeconds = seconds;
            return true;
        }
        return fail("unknown action \"" + action + "\" (handshake, list, command, commands, search, fetch or hold)");
    }

    // Action options make sense for one action only; a stray one is more likely a mistake than intended.
    bool checkOptionsFit() {
        for (const std::string& name : seen_) {
            bool forList = name.rfind("--sort-", 0) == 0;
            bool forFetch = name == "--stream" || name == "--from" || name == "--output";
            if (forList && options_->action != Action::List) return fail(name + " belongs to the list action");
            if (forFetch && options_->action != Action::Fetch) return fail(name + " belongs to the fetch action");
        }
        return true;
    }

    CliOptions* options_;
    std::string* error_;
    std::vector<std::string> seen_;
};

}  // namespace

bool parseCommandLine(const std::vector<std::string>& arguments, CliOptions* options, std::string* error) {
    *options = CliOptions{};
    error->clear();
    return Parser(options, error).run(arguments);
}

std::string usageText() {
    return "Usage: tamvikvr-client [options] <action> [arguments]\n"
           "\n"
           "A command-line stand-in for the headset: it connects to the control server, runs the\n"
           "handshake (and the password when the server asks for one), then the action.\n"
           "\n"
           "Actions:\n"
           "  handshake                       print every reply text of the handshake\n"
           "  list <ch> [--sort-name N] [--sort-mode M] [--sort-mode-2nd M]\n"
           "                                  list channel <ch> (0 to 7; the console's channel\n"
           "                                  <ch>+1): reply texts, and one line\n"
           "                                  \"value<TAB>folder/name\" per file, where value is the\n"
           "                                  file's marker state: 0 no markers known, 1 markers\n"
           "                                  set, 2 a marker file not read yet\n"
           "      --sort-name N               0 name (default), 1 date and time, 2 date then\n"
           "                                  name, 3 series groups then name, 4 no sorting\n"
           "                                  (1 to 4 gather a series' episodes)\n"
           "      --sort-mode M               first key: 1 ascending (default), 0 descending\n"
           "      --sort-mode-2nd M           second key: 1 ascending (default), 0 descending\n"
           "  command <CM_NAME> [arg0 [arg1 [arg2 [arg3]]]]\n"
           "                                  run an extended command: one line\n"
           "                                  \"index<TAB>value<TAB>text\" per result, then the reply\n"
           "  commands                        list every CM_ command with its arguments\n"
           "  search <text>                   search the video names below the search-folder list\n"
           "                                  for text, on one connection until the search ends;\n"
           "                                  one line \"value<TAB>path\" per video found\n"
           "  fetch <path> [--stream N] [--from BYTES] [--output FILE|-]\n"
           "                                  fetch a file from the video server while the\n"
           "                                  control connection stays open (default output: stdout);\n"
           "                                  FILE is replaced only once the whole file has arrived\n"
           "                                  (a link is followed, a device or pipe written to)\n"
           "  hold [SECONDS]                  print the handshake's reply texts, then keep the\n"
           "                                  authenticated control connection open, sending\n"
           "                                  nothing, for SECONDS or until SIGTERM or SIGINT\n"
           "                                  (Ctrl+C); other programs on this host may fetch\n"
           "                                  from the video server meanwhile. Ends with status 3\n"
           "                                  when the server closes the connection first\n"
           "\n"
           "Options:\n"
           "  --host H          server host name or address (default 127.0.0.1)\n"
           "  --port P          control port (default 11922)\n"
           "  --http-port P     video server port (default: the port the handshake announces)\n"
           "  --password PW     password to send when the server asks for one\n"
           "  --timeout MS      longest wait for a reply or for data (default 30000)\n"
           "  --version         print the version\n"
           "  --help, -h        print this text\n"
           "  --                every later argument is taken as it is (for arguments beginning with -)\n"
           "\n"
           "A refused request ends with \"#RET_ERR(<code>N,<message>\"...\")\": its code and text are the\n"
           "server's last status event, not necessarily the reason; the client explains them, and the\n"
           "server's console and the desktop window's event list say why it refused.\n"
           "\n"
           "Exit status: 0 success, 1 the server refused the request, 2 usage error,\n"
           "3 connection or input/output error.\n";
}

}  // namespace tvr::client
