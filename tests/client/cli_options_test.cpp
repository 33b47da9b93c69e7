// SPDX-License-Identifier: MIT
// The command line of tamvikvr-client: defaults, every action and option, and the usage errors.
#include "client/cli_options.h"

#include <gtest/gtest.h>

namespace tvr::client {
namespace {

struct Parsed {
    bool ok = false;
    CliOptions options;
    std::string error;
};

Parsed parse(const std::vector<std::string>& arguments) {
    Parsed parsed;
    parsed.ok = parseCommandLine(arguments, &parsed.options, &parsed.error);
    return parsed;
}

TEST(CliOptions, HandshakeWithDefaults) {
    Parsed parsed = parse({"handshake"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::Handshake);
    EXPECT_EQ(parsed.options.host, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 11922);
    EXPECT_EQ(parsed.options.httpPort, 0);
    EXPECT_FALSE(parsed.options.password.has_value());
}

TEST(CliOptions, GlobalOptionsInBothSpellingsAndPlaces) {
    Parsed parsed = parse({"--host", "10.0.0.7", "--port=2000", "handshake", "--http-port", "2001", "--password=pw",
                           "--timeout", "1500"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.host, "10.0.0.7");
    EXPECT_EQ(parsed.options.port, 2000);
    EXPECT_EQ(parsed.options.httpPort, 2001);
    EXPECT_EQ(parsed.options.password, u"pw");
    EXPECT_EQ(parsed.options.timeoutMs, 1500);
}

TEST(CliOptions, PasswordMayBeEmptyOrNonAscii) {
    EXPECT_EQ(parse({"--password", "", "handshake"}).options.password, u"");
    EXPECT_EQ(parse({"--password", "パス", "handshake"}).options.password, u"パス");
}

TEST(CliOptions, ListTakesChannelAndOnlyGivenSortKeys) {
    Parsed parsed = parse({"list", "3", "--sort-mode", "0"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::List);
    EXPECT_EQ(parsed.options.channel, 3);
    EXPECT_FALSE(parsed.options.sortName.has_value());
    EXPECT_EQ(parsed.options.sortMode, 0);
    EXPECT_FALSE(parsed.options.sortMode2nd.has_value());

    parsed = parse({"list", "--sort-name", "2", "--sort-mode-2nd=0", "-1"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.channel, -1);
    EXPECT_EQ(parsed.options.sortName, 2);
    EXPECT_EQ(parsed.options.sortMode2nd, 0);
}

TEST(CliOptions, CommandKeepsUpToFourArgumentsAsText) {
    Parsed parsed = parse({"command", "CM_MOVE_FILE", "/v/新.mp4", "/v/old.mp4"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::Command);
    EXPECT_EQ(parsed.options.commandName, u"CM_MOVE_FILE");
    EXPECT_EQ(parsed.options.args[0], u"/v/新.mp4");
    EXPECT_EQ(parsed.options.args[1], u"/v/old.mp4");
    EXPECT_EQ(parsed.options.args[2], u"");
    EXPECT_EQ(parsed.options.args[3], u"");

    parsed = parse({"command", "CM_CLIENT_LOG", "--", "--tag", "-x", "", "4"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.args[0], u"--tag");
    EXPECT_EQ(parsed.options.args[1], u"-x");
    EXPECT_EQ(parsed.options.args[2], u"");
    EXPECT_EQ(parsed.options.args[3], u"4");
}

TEST(CliOptions, FetchDefaultsAndOptions) {
    Parsed parsed = parse({"fetch", "/v/a b.mp4"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::Fetch);
    EXPECT_EQ(parsed.options.fetchPath, u"/v/a b.mp4");
    EXPECT_EQ(parsed.options.stream, 0);
    EXPECT_EQ(parsed.options.from, 0);
    EXPECT_EQ(parsed.options.output, u"-");

    parsed = parse({"fetch", "C:/v/a.mp4", "--stream", "1", "--from", "5000000000", "--output", "out.bin"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.stream, 1);
    EXPECT_EQ(parsed.options.from, 5000000000LL);
    EXPECT_EQ(parsed.options.output, u"out.bin");
}

TEST(CliOptions, HoldWaitsForASignalOrTheGivenSeconds) {
    Parsed parsed = parse({"--password", "pw", "hold"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::Hold);
    EXPECT_FALSE(parsed.options.holdSeconds.has_value());
    EXPECT_EQ(parsed.options.password, u"pw");

    parsed = parse({"hold", "25"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.holdSeconds, 25);
    EXPECT_EQ(parse({"hold", "0"}).options.holdSeconds, 0);
    EXPECT_EQ(parse({"hold", std::to_string(kMaxHoldSeconds)}).options.holdSeconds, kMaxHoldSeconds);
    EXPECT_NE(usageText().find("hold [SECONDS]"), std::string::npos);
}

TEST(CliOptions, HelpWinsOverEverythingElse) {
    EXPECT_EQ(parse({"--help"}).options.action, Action::Help);
    EXPECT_EQ(parse({"--version", "--help"}).options.action, Action::Help);
    Parsed version = parse({"list", "x", "--version"});
    EXPECT_TRUE(version.ok) << version.error;
    EXPECT_EQ(version.options.action, Action::Version);
    EXPECT_EQ(parse({"command", "CM_CLIENT_LOG", "--", "--version"}).options.args[0], u"--version");
    Parsed parsed = parse({"list", "x", "--bogus", "-h"});
    EXPECT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options.action, Action::Help);
    parsed = parse({"command", "CM_CLIENT_LOG", "--", "-h"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::Command);
    EXPECT_EQ(parsed.options.args[0], u"-h");
    EXPECT_NE(usageText().find("fetch <path>"), std::string::npos);
    EXPECT_EQ(parse({"list", "1", "--version"}).options.action, Action::Version);
    EXPECT_EQ(parse({"commands"}).options.action, Action::Commands);
    EXPECT_EQ(parse({"search", "ep 1"}).options.searchText, u"ep 1");
}

struct UsageError {
    std::vector<std::string> arguments;
    std::string message;  // a part of the expected message
};

TEST(CliOptions, UsageErrorsNameTheProblem) {
    const UsageError cases[] = {
        {{}, "no action"},
        {{"frobnicate"}, "unknown action \"frobnicate\""},
        {{"handshake", "extra"}, "handshake takes no arguments"},
        {{"--bogus", "handshake"}, "unknown option --bogus"},
        {{"-x", "handshake"}, "unknown option -x"},
        {{"handshake", "--port"}, "--port needs a value"},
        {{"--port", "0", "handshake"}, "--port needs a number from 1 to 65535"},
        {{"--port", "65536", "handshake"}, "--port needs a number"},
        {{"--port", "12ab", "handshake"}, "not \"12ab\""},
        {{"--http-port", "-5", "handshake"}, "--http-port needs a number"},
        {{"--timeout", "0", "handshake"}, "--timeout needs a number"},
        {{"--host=", "handshake"}, "--host needs"},
        {{"--password", "a\"b", "handshake"}, "double quote"},
        {{"search"}, "search needs exactly one non-empty text"},
        {{"search", ""}, "search needs exactly one non-empty text"},
        {{"list"}, "exactly one channel"},
        {{"list", "1", "2"}, "exactly one channel"},
        {{"list", "one"}, "the channel needs a number"},
        {{"list", "99999999999"}, "the channel needs a number"},
        {{"list", "1", "--sort-mode", "up"}, "--sort-mode takes 1 (ascending) or 0 (descending), not \"up\""},
        {{"list", "1", "--sort-mode-2nd", "2"}, "--sort-mode-2nd takes 1 (ascending) or 0 (descending)"},
        {{"list", "1", "--sort-name", "5"},
         "--sort-name takes 0 (name), 1 (date and time), 2 (date, then name), 3 (series groups, then name) or 4"},
        {{"list", "1", "--sort-name", "-1"}, "--sort-name takes 0 (name)"},
        {{"commands", "x"}, "commands takes no arguments"},
        {{"command"}, "command needs a command name"},
        {{"command", "GETDIR"}, "begin with CM_"},
        {{"command", "CM_X", "1", "2", "3", "4", "5"}, "at most four arguments"},
        {{"fetch"}, "exactly one file path"},
        {{"fetch", ""}, "non-empty file path"},
        {{"fetch", "a.mp4", "--stream", "-1"}, "--stream needs a number"},
        {{"fetch", "a.mp4", "--from", "-3"}, "--from needs a number"},
        {{"fetch", "a.mp4", "--from", "9223372036854775808"}, "--from needs a number"},
        {{"fetch", "a.mp4", "--output="}, "--output needs"},
        {{"hold", "1", "2"}, "hold takes at most one number"},
        {{"hold", "-1"}, "hold needs a number from 0 to"},
        {{"hold", "ten"}, "not \"ten\""},
        {{"hold", std::to_string(kMaxHoldSeconds + 1)}, "hold needs a number"},
        {{"hold", "--from", "3"}, "--from belongs to the fetch action"},
        {{"list", "1", "--stream", "1"}, "--stream belongs to the fetch action"},
        {{"fetch", "a.mp4", "--sort-name", "1"}, "--sort-name belongs to the list action"},
    };
    for (const auto& c : cases) {
        Parsed parsed = parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << c.message;
        EXPECT_NE(parsed.error.find(c.message), std::string::npos) << "got: " << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
}

}  // namespace
}  // namespace tvr::client
