// SPDX-License-Identifier: MIT
// The tool's actions against a real control server on loopback: what they print, what they
// send, and their exit statuses. Video fetches go to a loopback peer standing in for the video server.
#include "client/cli_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "client/command_help.h"
#include "client/control_client.h"
#include "client/one_peer.h"
#include "core/clock.h"
#include "core/command_queue.h"
#include "core/paths.h"
#include "core/settings.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "protocol/command_table.h"
#include "protocol/control_server.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::client {
namespace {

using test::OnePeer;

class CliAgainstServer : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override {
        dataFolder_.set(folder.path16());
        config = core::defaultConfig();
    }

    void start() {
        server = std::make_unique<protocol::ControlServer>(clock, &commands, library);
        ASSERT_TRUE(server->startListening(0, config, 0x7F000001));
    }

    /// Runs the tool with --port of the server in front of the arguments.
    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--port", std::to_string(server ? server->port() : 1), "--timeout", "5000"});
        out.str("");
        err.str("");
        return runCommandLine(arguments, out, err);
    }

    test::TempFolder folder;
    core::ManualClock clock;
    core::CommandQueue commands;
    library::LibraryState library;
    core::Config config;
    std::unique_ptr<protocol::ControlServer> server;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliAgainstServer, HandshakePrintsEveryReplyLine) {
    start();
    ASSERT_EQ(run({"handshake"}), kExitOk) << err.str();
    std::string text = out.str();
    EXPECT_EQ(text.rfind("#RET_VERSION(<protocol_ver>130,<app_ver>\"1.32a\"", 0), 0u) << text;
    EXPECT_NE(text.find("\n#RET_CH_NAME(<type.0>1,<name.0>\"VRデバイス\""), std::string::npos);
    EXPECT_NE(text.find("\n#RET_USE_HTTP(<port>11921)\n"), std::string::npos);
    EXPECT_EQ(text.find("#RET_REQUEST_PASSWORD"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 10), "#RET_OK()\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(CliAgainstServer, PasswordIsSentOnlyWhenAskedAndMustMatch) {
    config.usePassword = 1;
    config.password = u"秘密";
    start();
    EXPECT_EQ(run({"handshake"}), kExitRefused);
    EXPECT_NE(out.str().find("#RET_REQUEST_PASSWORD()\n#RET_OK()\n"), std::string::npos);
    EXPECT_EQ(err.str(), "tamvikvr-client: the server asks for a password; give it with --password\n");

    ASSERT_EQ(run({"--password", "秘密", "handshake"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("#RET_REQUEST_PASSWORD()\n#RET_OK()\n#RET_OK()\n"), std::string::npos) << out.str();

    EXPECT_EQ(run({"--password", "wrong", "command", "CM_GET_CHANNEL_TYPE", "1"}), kExitRefused);
    EXPECT_NE(err.str().find("the server refused #CMD_PASSWORD: #RET_ERR(<code>545,"), std::string::npos) << err.str();
    EXPECT_FALSE(server->isClientAuthenticated());
}

TEST_F(CliAgainstServer, ListPrintsTextsAndOneLinePerFile) {
    folder.write("videos/b.mp4", "b");
    folder.write("videos/a.mp4", "a");
    folder.write("videos/notes.txt", "n");
    config.channels[1] = {core::kChannelPcFolder, platform::fromUtf8(folder.file("videos"))};
    start();
    ASSERT_EQ(run({"list", "1", "--sort-name", "0", "--sort-mode", "1"}), kExitOk) << err.str();
    std::string root = folder.file("videos");
    EXPECT_EQ(out.str(), "#RET_ROOT(<path>\"" + root + "\")\n#RET_DIR(<indent>0,<path>\"" + root + "\")\n0\t" + root +
                             "/a.mp4\n0\t" + root + "/b.mp4\n#RET_END(<no>2)\n#RET_OK()\n");

    EXPECT_EQ(run({"list", "8"}), kExitRefused);
    EXPECT_EQ(out.str().rfind("#RET_ERR(", 0), 0u) << out.str();
    EXPECT_NE(err.str().find("the server refused #CMD_GET_CHANNEL: #RET_ERR("), std::string::npos) << err.str();
}

TEST_F(CliAgainstServer, CommandPrintsResultEntriesThenTheReply) {
    config.channels[1] = {core::kChannelPcFolder, u"D:\\動画"};
    start();
    ASSERT_EQ(run({"command", "CM_GET_CHANNEL_TYPE", "1"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "0\t0\tD:\\動画\n#RET_OK()\n");

    EXPECT_EQ(run({"command", "CM_NO_SUCH_COMMAND", "a", "b", "c", "d"}), kExitRefused);
    EXPECT_EQ(out.str().rfind("#RET_ERR(", 0), 0u) << out.str();
    EXPECT_NE(err.str().find("the server refused CM_NO_SUCH_COMMAND"), std::string::npos) << err.str();
}

TEST_F(CliAgainstServer, FetchHappensWhileTheControlConnectionIsAuthenticated) {
    std::atomic<bool> authenticatedDuringRequest{false};
    OnePeer video("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 3-9/10\r\nContent-Length: 7\r\n\r\n3456789",
                  true, [&] { authenticatedDuringRequest = server->isClientAuthenticated(); });
    config.portHttp = video.port();
    start();
    ASSERT_EQ(run({"fetch", "/v/a b.mp4", "--stream", "1", "--from", "3", "--output", folder.file("out.bin")}), kExitOk)
        << err.str();
    EXPECT_EQ(folder.read("out.bin"), "3456789");
    EXPECT_EQ(out.str(), "HTTP/1.1 206 Partial Content\n7 bytes written to " + folder.file("out.bin") + "\n");
    EXPECT_TRUE(authenticatedDuringRequest.load());
    EXPECT_EQ(video.finish().rfind("GET //v/a%20b.mp4?stream=1 HTTP/1.1\r\nHost: 127.0.0.1:", 0), 0u);
}

TEST_F(CliAgainstServer, FetchToStandardOutputWritesOnlyTheBody) {
    OnePeer video("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true);
    start();
    ASSERT_EQ(run({"--http-port", std::to_string(video.port()), "fetch", "a.mp4"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "hello");
}

TEST_F(CliAgainstServer, FailedFetchLeavesNoOutputFile) {
    start();
    {
        OnePeer video("HTTP/1.1 404 File Not Find\r\n\r\n", true);
        folder.write("keep.bin", "old");
        EXPECT_EQ(
            run({"--http-port", std::to_string(video.port()), "fetch", "a.mp4", "--output", folder.file("keep.bin")}),
            kExitRefused);
        EXPECT_EQ(err.str(), "tamvikvr-client: the video server answered \"HTTP/1.1 404 File Not Find\"\n");
        EXPECT_EQ(folder.read("keep.bin"), "old");
    }
    {
        OnePeer video("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", false);
        EXPECT_EQ(
            run({"--http-port", std::to_string(video.port()), "fetch", "a.mp4", "--output", folder.file("half.bin")}),
            kExitIo);
        EXPECT_NE(err.str().find("after 5 of 10 bytes"), std::string::npos) << err.str();
        EXPECT_EQ(platform::pathKind(folder.file16("half.bin")), platform::PathKind::Missing);
    }
}

/// Polls until the condition holds, for at most five seconds.
template <typename Condition>
bool eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST_F(CliAgainstServer, HoldKeepsTheAuthenticatedConnectionUntilTheServerDropsIt) {
    config.usePassword = 1;
    config.password = u"pw";
    start();
    int status = -1;
    std::thread holder([&] { status = run({"--password", "pw", "hold", "60"}); });
    bool authenticated = eventually([&] { return server->isClientAuthenticated(); });
    server->requestForceDisconnect();
    holder.join();
    EXPECT_TRUE(authenticated);
    EXPECT_EQ(status, kExitIo);
    EXPECT_NE(out.str().find("#RET_REQUEST_PASSWORD()\n#RET_OK()\n#RET_OK()\n"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "tamvikvr-client: the control server at 127.0.0.1:" + std::to_string(server->port()) +
                             " closed the connection\n");
}

TEST_F(CliAgainstServer, HoldEndsCleanlyWhenItsTimeIsUp) {
    start();
    ASSERT_EQ(run({"hold", "1"}), kExitOk) << err.str();
    EXPECT_EQ(out.str().rfind("\n#RET_OK()\n"), out.str().size() - 11) << out.str();
    EXPECT_TRUE(eventually([&] { return !server->isConnected(); }));

    ASSERT_EQ(run({"hold", "0"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("#RET_USE_HTTP(<port>11921)\n"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");
}

TEST_F(CliAgainstServer, ServerBusyWithAnotherHeadsetIsToldApartFromADeadOne) {
    start();
    ControlClient other;
    Reply reply;
    ASSERT_TRUE(other.connect("127.0.0.1", server->port(), 2000));
    ASSERT_TRUE(other.sendTexts({ControlClient::setupMessage()}));
    ASSERT_TRUE(other.receiveReply(&reply, 5000) && reply.ok);

    std::vector<std::string> arguments = {"--port", std::to_string(server->port()), "--timeout", "4000", "handshake"};
    EXPECT_EQ(runCommandLine(arguments, out, err), kExitIo);
    const std::string where = "127.0.0.1:" + std::to_string(server->port());
    EXPECT_EQ(err.str(), "tamvikvr-client: the server at " + where +
                             " accepted the connection but does not answer: it may be serving another headset (it "
                             "serves one at a time); still waiting\n"
                             "tamvikvr-client: no complete reply to #CMD_SETUP from " +
                             where + "\n");
}

TEST(CliExitStatus, UsageHelpAndUnreachableServer) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCommandLine({"list"}, out, err), kExitUsage);
    EXPECT_EQ(err.str(), "tamvikvr-client: list needs exactly one channel number\nTry 'tamvikvr-client --help'.\n");
    EXPECT_EQ(out.str(), "");

    err.str("");
    EXPECT_EQ(runCommandLine({"--help"}, out, err), kExitOk);
    EXPECT_EQ(out.str(), usageText());

    out.str("");
    EXPECT_EQ(runCommandLine({"--version"}, out, err), kExitOk);
    EXPECT_EQ(out.str(), "tamvikvr-client 1.32a (TamvikVR Server, protocol 130)\n");

    platform::SocketHandle listener = platform::tcpListen({0x7F000001, 0}, 1);
    std::uint16_t closedPort = platform::localEndpoint(listener).port;
    platform::closeSocket(listener);
    EXPECT_EQ(runCommandLine({"--port", std::to_string(closedPort), "handshake"}, out, err), kExitIo);
    EXPECT_EQ(err.str(), "tamvikvr-client: cannot connect to the control server at 127.0.0.1:" +
                             std::to_string(closedPort) + "\n");
}

// An error reply's code and text are the server's last status, whatever it was: the client says
// what was refused and what that status is, in English beside the server's Japanese.
TEST(CliFormatting, ErrorRepliesAreExplained) {
    struct Case {
        std::u16string reply;
        std::string second;  // the second line
    };
    const std::string tail = " the server's console and the desktop window's event list say why it refused\n";
    const Case cases[] = {
        {u"#RET_ERR(<code>2,<message>\"127.0.0.1\")",
         "its code and text are the server's last status, 0x0002 127.0.0.1 (a headset connected), not "
         "necessarily the reason;"},
        {u"#RET_ERR(<code>545,<message>\"パスワードが一致しません\")",
         "its code and text are the server's last status, 0x0221 パスワードが一致しません (error: wrong password; "
         "the next try is possible in 30 s), not necessarily the reason;"},
        {u"#RET_ERR(<code>513,<message>\"SaveMarker()\")",
         "its code and text are the server's last status, 0x0201 SaveMarker() (error: the markers could not be "
         "saved), not necessarily the reason;"},
        {u"#RET_ERR(<code>0,<message>\"\")", "the reply carries no status, so it says nothing about why;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(explainRefusal("#CMD_GET_CHANNEL", c.reply),
                  "tamvikvr-client: the server refused #CMD_GET_CHANNEL: " + platform::toUtf8(c.reply) +
                      "\ntamvikvr-client: " + c.second + tail);
    }
}

// Every command the server knows is listed once, with its arguments and meaning.
TEST(CliFormatting, CommandsListsTheServersCommands) {
    const std::string text = commandHelpText();
    std::set<std::u16string_view> names;
    for (const protocol::CommandRow& command : protocol::allCommands()) {
        EXPECT_TRUE(names.insert(command.name).second) << platform::toUtf8(command.name) << " twice";
        const std::string name = platform::toUtf8(command.name);
        const std::string head = "  " + name + (command.arguments.empty() ? "" : " " + std::string(command.arguments));
        EXPECT_NE(text.find(head + "\n      " + std::string(command.meaning) + "\n"), std::string::npos) << name;
        EXPECT_FALSE(command.meaning.empty()) << name;
    }
    EXPECT_EQ(names.size(), 35u);
    EXPECT_NE(text.find("  CM_PLAY PATH MODE\n      check that a video exists"), std::string::npos);
}

TEST(CliFormatting, RequestsAndLines) {
    CliOptions options;
    options.channel = 5;
    EXPECT_EQ(listRequest(options), u"#CMD_GET_CHANNEL(<ch>5)");
    options.sortName = 2;
    options.sortMode = 0;
    options.sortMode2nd = 1;
    EXPECT_EQ(listRequest(options), u"#CMD_GET_CHANNEL(<ch>5,<sort_name>2,<sort_mode>0,<sort_mode_2nd>1)");
    EXPECT_EQ(passwordRequest(u"a b"), u"#CMD_PASSWORD(<pass>\"a b\")");
    EXPECT_EQ(formatListEntry({2, u"C:/動画", u"a.mp4"}), "2\tC:/動画/a.mp4");
    EXPECT_EQ(formatListEntry({0, u"", u"a.mp4"}), "0\ta.mp4");
    EXPECT_EQ(formatListEntry({1, u"/", u"a.mp4"}), "1\t/a.mp4");
    EXPECT_EQ(formatResultEntry({3, -1, u"x"}), "3\t-1\tx");
}

}  // namespace
}  // namespace tvr::client
