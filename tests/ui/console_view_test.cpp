// SPDX-License-Identifier: MIT
// The headless server's console: status lines with their English glosses, the start-up summary
// built from a settings file and services, and the server's command line.
#include "ui/console/console_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/utf.h"
#include "protocol/status_codes.h"
#include "protocol/status_gloss.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"
#include "ui/console/server_command_line.h"
#include "ui/startup_summary.h"

namespace tvr::ui {
namespace {

// A console view writing into a temporary stream whose text the test reads back.
class CapturedConsole {
public:
    explicit CapturedConsole(bool glosses) : file_(std::tmpfile()), view_(file_, glosses) {}
    ~CapturedConsole() { std::fclose(file_); }
    ConsoleView& view() { return view_; }
    std::string text() {
        std::string bytes;
        std::rewind(file_);
        for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) bytes += static_cast<char>(c);
        return bytes;
    }

private:
    std::FILE* file_;
    ConsoleView view_;
};

// The texts are the ones the control server posts, by their names in the status catalogue.
TEST(ConsoleStatus, JapaneseTextsAreFollowedByTheirGlossUnlessTheReaderIsJapanese) {
    namespace status = protocol::status;
    auto disconnected = [](std::u16string_view reason) { return core::format(status::kDisconnectedFormat, {reason}); };
    struct Case {
        std::int32_t code;
        std::u16string text1;
        std::u16string text2;
        bool glosses;
        const char* expected;
    };
    const Case cases[] = {
        {status::kWaiting, status::kWaitingText, u"", true, "code=0x0001 接続待ち (waiting for a headset)"},
        {status::kWaiting, status::kWaitingText, u"", false, "code=0x0001 接続待ち"},
        {status::kConnected, status::kConnectedText, u"192.168.1.5", true,
         "code=0x0002 接続中 192.168.1.5 (a headset connected)"},
        {status::kDisconnected, disconnected(status::kReasonClosed), u"127.0.0.1", true,
         "code=0x0003 切断(正常終了) 127.0.0.1 (disconnected: the headset closed the connection)"},
        {status::kDisconnected, disconnected(core::format(status::kReasonNoTraffic, {120})), u"127.0.0.1", true,
         "code=0x0003 切断(無通信:120秒) 127.0.0.1 (disconnected: nothing heard from the headset for 120 s)"},
        {status::kDisconnected, disconnected(core::format(status::kReasonSocketError, {104})), status::kNoAddress, true,
         "code=0x0003 切断(socket error:104) non (disconnected: network error 104)"},
        {status::kPasswordWrong, status::kErrorText, u"パスワードが一致しません", true,
         "code=0x0221 エラー パスワードが一致しません (error: wrong password; the next try is possible in 30 s)"},
        {status::kError, status::kErrorText, status::kSaveMarkerFailed, true,
         "code=0x0201 エラー SaveMarker() (error: the markers could not be saved)"},
        {status::kError, status::kErrorText, status::kSaveVrFormatFailed, true,
         "code=0x0201 エラー SaveVRFormat() (error: the VR format could not be saved)"},
        {status::kError, status::kErrorText, status::kSaveWordListFailed, true,
         "code=0x0201 エラー SaveWordList() (error: the word list could not be saved; it is kept to try again)"},
        {status::kError, status::kErrorText, status::kIniWriteInt64Failed, true,
         "code=0x0201 エラー IniWriteInt64() (error: the headset's setting could not be written)"},
        {status::kError, status::kErrorText, status::kIniWriteStringFailed, true,
         "code=0x0201 エラー IniWriteString() (error: the headset's setting could not be written)"},
        {status::kError, status::kFatalErrorText, status::kBadFourCCText, true,
         "code=0x0201 致命的なエラー GetHeader() : ForeCC'PACK'が一致しない (fatal error: a packet does not start "
         "with PACK)"},
        {status::kError, status::kFatalErrorText, core::format(u"%s(%u)", {status::kPacketTooLargeText, 70000}), true,
         "code=0x0201 致命的なエラー GetHeader() : パケットが大きすぎる(70000) (fatal error: a packet is too large)"},
        {0x999, u"x", u"y", true, "code=0x0999 x y"},
    };
    for (const Case& c : cases) {
        CapturedConsole console(c.glosses);
        console.view().showStatus(platform::LocalTime{2024, 3, 9, 7, 5, 1}, c.code, c.text1, c.text2);
        EXPECT_EQ(console.text(), std::string("2024-03-09 07:05:01 ") + c.expected + "\n");
    }
}

TEST(ConsoleStatus, EventsFromTheNetworkCannotForgeLinesOrDriveTheTerminal) {
    CapturedConsole console(true);
    console.view().showEvent(platform::LocalTime{2024, 3, 9, 7, 5, 1},
                             u"channel 2 set by the headset: PC folder \"/v/\x1b[2Ja\tb\", the folder does not exist");
    EXPECT_EQ(
        console.text(),
        "2024-03-09 07:05:01 channel 2 set by the headset: PC folder \"/v/?[2Ja?b\", the folder does not exist\n");
}

TEST(ConsoleStatus, JapaneseLocaleFollowsTheFirstVariableSet) {
    EXPECT_TRUE(protocol::japaneseLocale(nullptr, nullptr, "ja_JP.UTF-8"));
    EXPECT_TRUE(protocol::japaneseLocale("ja_JP.UTF-8", "C", "en_US.UTF-8"));
    EXPECT_FALSE(protocol::japaneseLocale("C.UTF-8", nullptr, "ja_JP.UTF-8")) << "LC_ALL wins over LANG";
    EXPECT_TRUE(protocol::japaneseLocale("", "ja", "en_GB")) << "an empty variable counts as unset";
    EXPECT_FALSE(protocol::japaneseLocale(nullptr, nullptr, nullptr));
}

TEST(ConsoleStream, RequestsEndsAndWaitsForALoginReadAsOneLineEach) {
    using Kind = http::StreamEvent::Kind;
    using enum http::RefusalReason;
    struct Case {
        http::StreamEvent event;
        std::string line;
    };
    const Case cases[] = {
        {{Kind::Request, 0, 1000, u"/v/動画.mp4", 206, 0, 0}, "video slot 0: 206 from byte 1000 /v/動画.mp4"},
        // Every refusal with its reason, from the one table of reasons.
        {{Kind::Request, 0, 0, u"/v/b.mp4", 404, 0, 0, 0, NoSuchFile}, "video slot 0: 404 (no such file) /v/b.mp4"},
        {{Kind::Request, 1, 0, u"/v/d.mp4", 404, 0, 0, 0, Folder},
         "video slot 1: 404 (the path is a folder, not a video) /v/d.mp4"},
        {{Kind::Request, 0, 0, u"/v/a.txt", 404, 0, 0, 0, Extension},
         "video slot 0: 404 (its extension is not in [Config] pcExt) /v/a.txt"},
        {{Kind::Request, -1, 0, u"", 404, 0, 0, 1, OtherHost, 0x0A000005},
         "video: 404 (another host than the logged-in headset's) to 10.0.0.5"},
        {{Kind::Request, -1, 0, u"", 404, 0, 0, 3, OtherHost, 0x0A000005},
         "video: 404 (another host than the logged-in headset's) to 10.0.0.5 (3 connections)"},
        {{Kind::Request, 0, 0, u"/v/a.mp4", 404, 0, 0, 0, LoginEnded},
         "video slot 0: 404 (the headset's login it came under has ended) /v/a.mp4"},
        {{Kind::Request, 0, 0, u"C:/v/SECRET~1.MP4", 404, 0, 0, 0, OtherSpelling},
         "video slot 0: 404 (Windows opens that name as another file, whose extension is not in [Config] pcExt: "
         "a short name, or trailing dots or blanks) C:/v/SECRET~1.MP4"},
        {{Kind::Request, 0, 0, u"", 404, 0, 0, 0, Undecodable},
         "video slot 0: 404 (the request's path could not be decoded)"},
        {{Kind::Request, -1, 0, u"/v/a.mp4", 404, 0, 0, 0, NoSuchSlot},
         "video: 404 (no stream slot of that number: stream= takes 0 or 1) /v/a.mp4"},
        {{Kind::Request, 1, 0, u"/v/p.mp4", 404, 0, 0, 0, CannotOpen},
         "video slot 1: 404 (the file cannot be opened: access denied, or locked by another program) /v/p.mp4"},
        {{
             Kind::End,
             1,
             0,
             u"/v/a.mp4",
             200,
             10485760,
             2000,
         },
         "video slot 1: ended after 10.0 MiB in 2.0 s (5.0 MiB/s) /v/a.mp4"},
        {{Kind::End, 1, 0, u"/v/a.mp4", 200, 0, 0}, "video slot 1: ended after 0 bytes in under 1 ms /v/a.mp4"},
        {{Kind::End, 0, 0, u"/v/a.mp4", 206, 1536, 7}, "video slot 0: ended after 1.5 KiB in 7 ms /v/a.mp4"},
        {{Kind::End, 0, 0, u"/v/a.mp4", 200, 3221225472ULL, 185000},
         "video slot 0: ended after 3.0 GiB in 3 min 5 s (16.6 MiB/s) /v/a.mp4"},
        {{Kind::End, 0, 0, u"/v/a.mp4", 206, 65536, 250},
         "video slot 0: ended after 64.0 KiB in 250 ms (256.0 KiB/s) /v/a.mp4"},
        {{Kind::AwaitingLogin, -1, 0, u"", 0, 0, 0, 0},
         "video: a request waits for a headset to log in (answered 404 if none does within 30 s)"},
        {{Kind::LoginWaitOver, -1, 0, u"", 0, 0, 0, 1},
         "video: no headset logged in within 30 s: the waiting request got 404 and was closed"},
        {{Kind::LoginWaitOver, -1, 0, u"", 0, 0, 0, 2},
         "video: no headset logged in within 30 s: 2 waiting requests got 404 and were closed"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::toUtf8(ui::streamLine(c.event)), c.line);
}

TEST(ConsoleSummary, EveryFactOnItsOwnLine) {
    StartupSummary summary;
    summary.version = u"1.32a";
    summary.protocolVersion = 130;
    summary.dataFolder = u"/srv/tvr";
    summary.settingsFile = u"/srv/tvr/TamvikVRServer.ini";
    summary.warnings = {u"[Setup] iSeek1FF=ten is not a number; the default is used"};
    summary.control = {11922, u""};
    summary.video = {0, u"[Config] iPortHttp=99999 is not a port; give one from 1 to 65535"};
    summary.addresses = {0xC0A80114, 0x0A000005};
    summary.passwordOn = true;
    summary.passwordEmpty = true;
    summary.logWanted = true;
    summary.logOn = true;
    summary.logFile = u"/srv/tvr/TamvikVR Server[Log].txt";
    summary.mouseOn = true;
    summary.mouseProblem = u"this build has no mouse relay";
    for (int i = 0; i < core::kChannelCount; ++i) {
        summary.channels[i] = {i + 1, u"", u"playlist", u"p.vrl", true, u"list file /srv/tvr/p.vrl", u""};
    }
    summary.channels[1] = {
        2, u"ch.1", u"PC folder", u"", false, u"", u"not set: give [ch.1] pcPath a folder or (PCVideo)"};
    CapturedConsole console(true);
    console.view().showSummary(summary);
    console.view().showStopped();
    std::string expected =
        "TamvikVR Server 1.32a (protocol 130)\n"
        "  data folder: /srv/tvr\n"
        "  settings file: /srv/tvr/TamvikVRServer.ini\n"
        "  warning: [Setup] iSeek1FF=ten is not a number; the default is used\n"
        "  control server: listening on port 11922\n"
        "  video server: not listening: [Config] iPortHttp=99999 is not a port; give one from 1 to 65535\n"
        "  headset: enter 192.168.1.20 or 10.0.0.5 as the PC's address\n"
        "  password: on, but [Config] pcPassword is empty\n"
        "  log: on, /srv/tvr/TamvikVR Server[Log].txt\n"
        "  mouse relay: not available, though [Config] iUseMouse is on: this build has no mouse relay\n"
        "  channel 1: playlist \"p.vrl\" -> list file /srv/tvr/p.vrl\n"
        "  channel 2: PC folder, not set: give [ch.1] pcPath a folder or (PCVideo)\n";
    for (int i = 3; i <= 8; ++i)
        expected += "  channel " + std::to_string(i) + ": playlist \"p.vrl\" -> list file /srv/tvr/p.vrl\n";
    expected += "TamvikVR Server stopped; settings saved.\n";
    EXPECT_EQ(console.text(), expected);
}

TEST(ConsoleSummary, ChannelsSayWhatTheyResolveToOrWhatToChange) {
    test::TempFolder folder;
    test::DataFolderScope dataFolder(folder.path16());
    folder.makeFolder("videos");
    folder.write("ch3.vrl", "");
    folder.write("a.mp4", "");
    struct Case {
        std::int32_t type;
        std::u16string path;
        bool resolves;
        std::u16string text;  // the target, or the explanation
    };
    const std::u16string base = folder.path16();
    // Paths are shown as the system's users write them: with backslashes on Windows.
    const std::u16string shown = platform::displayPath(base) + (platform::backslashIsSeparator() ? u"\\" : u"/");
    const Case cases[] = {
        {core::kChannelPcFolder, base + u"/videos", true, u"folder " + shown + u"videos"},
        {core::kChannelPcFolder, u"", false, u"not set: give [ch.3] pcPath a folder or (PCVideo)"},
        {core::kChannelPcFolder, base + u"/gone", false,
         u"the folder does not exist: give [ch.3] pcPath an existing folder or (PCVideo)"},
        {core::kChannelPcFolder, u"tvr-no-such-folder", false,
         u"the folder does not exist (a relative path: it resolved to " +
             platform::canonicalPath(u"tvr-no-such-folder") + u"): give [ch.3] pcPath an existing folder or (PCVideo)"},
        {core::kChannelVrDevice, u"", true,
         u"the headset's own storage; on the PC this channel shows the data folder " + platform::displayPath(base)},
        {core::kChannelPcFolder, base + u"/a.mp4", false,
         shown + u"a.mp4 is a file, not a folder: give [ch.3] pcPath a folder"},
        {core::kChannelPlaylist, u"ch3.vrl", true, u"list file " + shown + u"ch3.vrl"},
        {core::kChannelPlaylist, u"ch4.vrl", false,
         u"no list file at " + shown + u"ch4.vrl; write one with a folder or video per line"},
        {core::kChannelFavoriteList, u"fav.vrl", false,
         u"no list file yet at " + shown + u"fav.vrl; the headset writes it when it saves this list"},
        {core::kChannelVrDevice, u"(DeviceVide)", false, u"the headset's own videos, nothing on the PC"},
        {core::kChannelPcFolder, u"(Computer)", false, u"the drive overview, browsed from the headset"},
    };
    for (const Case& c : cases) {
        core::Config config = core::defaultConfig();
        config.channels[3] = {c.type, c.path};
        ChannelSummary channel = summarizeChannel(config, 3);
        EXPECT_EQ(channel.number, 4);
        EXPECT_EQ(channel.resolves, c.resolves) << platform::toUtf8(c.path);
        EXPECT_EQ(c.resolves ? channel.target : channel.explanation, c.text) << platform::toUtf8(c.path);
    }
}

TEST(ConsoleSummary, SettingsWarningsLeaveThePortsToTheirServiceLines) {
    test::TempFolder folder;
    test::DataFolderScope dataFolder(folder.path16());
    folder.write("TamvikVRServer.ini",
                 "[Setup]\r\niSeek1RW=back\r\n[Config]\r\niPortHttp=x\r\niUsePassword=2\r\niServerLog=1\r\n");
    core::SettingsStore settings(folder.file16("TamvikVRServer.ini"));
    ASSERT_TRUE(settings.load());
    StartupSummary summary = summarizeStartup(settings, {11922, u""}, {0, u"bad"}, folder.path16(), {});
    EXPECT_EQ(summary.warnings,
              std::vector<std::u16string>{u"[Setup] iSeek1RW=back is not a number; the default is used"});
    EXPECT_TRUE(summary.passwordOn) << "any value but 0 asks for the password";
    EXPECT_TRUE(summary.logOn);
    EXPECT_FALSE(summarizeStartup(settings, {0, u"in use"}, {0, u""}, folder.path16(), {}).logOn)
        << "without the control server the log is never opened";
    EXPECT_EQ(summary.logFile, platform::displayPath(folder.file16("TamvikVR Server[Log].txt")));
    EXPECT_EQ(summary.channels[7].section, u"ch.7");
    if (platform::backslashIsSeparator()) {
        // Windows users read C:\folder\file; a '/' joined inside must not show through.
        for (const std::u16string* path : {&summary.dataFolder, &summary.settingsFile, &summary.logFile}) {
            EXPECT_EQ(path->find(u'/'), std::u16string::npos) << platform::toUtf8(*path);
        }
    }
}

TEST(ServerCommandLine, OptionsAndMistakes) {
    using Action = ServerCommandLine::Action;
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
        Action action;
        std::string folderOrError;
    };
    const Case cases[] = {
        {{}, true, Action::Run, ""},
        {{"--data-dir", "/var/lib/tvr"}, true, Action::Run, "/var/lib/tvr"},
        {{"--data-dir=rel"}, true, Action::Run, "rel"},
        {{"--version"}, true, Action::Version, ""},
        {{"--bogus", "--help"}, true, Action::Help, ""},
        {{"-h"}, true, Action::Help, ""},
        {{"--bogus"}, false, Action::Run, "unknown option --bogus"},
        {{"--data-dir"}, false, Action::Run, "--data-dir needs a folder"},
        {{"--data-dir="}, false, Action::Run, "--data-dir needs a folder"},
        {{"start"}, false, Action::Run, "unexpected argument \"start\""},
        {{"--set-web-password", "--data-dir", "d"}, true, Action::SetWebPassword, "d"},
        {{"--set-web-password=secret"},
         false,
         Action::Run,
         "--set-web-password takes no value: it reads the password from the terminal"},
    };
    for (const Case& c : cases) {
        ServerCommandLine line;
        std::string error;
        ASSERT_EQ(parseServerCommandLine(c.arguments, &line, &error), c.ok) << error;
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(c.ok ? line.dataFolder : error, c.folderOrError);
    }
}

}  // namespace
}  // namespace tvr::ui
