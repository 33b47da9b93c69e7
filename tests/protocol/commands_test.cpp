// SPDX-License-Identifier: MIT
// The extended commands through the command table, with real files in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/utf.h"
#include "protocol/handler_harness.h"
#include "protocol/status_codes.h"

#ifdef _WIN32
#include "support/short_name.h"
#endif

namespace tvr::protocol {
namespace {

using test::HandlerHarness;
using Entries = std::vector<std::pair<std::int32_t, std::u16string>>;

Entries run(HandlerHarness& h, std::u16string_view name, std::vector<std::u16string> args, bool* result) {
    std::vector<ResultEntry> entries;
    *result = h.command(name, std::move(args), &entries);
    Entries out;
    for (const auto& entry : entries) out.emplace_back(entry.value, entry.text);
    return out;
}

std::string logText(HandlerHarness& h) { return h.folder.read("TamvikVR Server[Log].txt"); }

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.folder.write("v/a.mp4", "video");
        h.folder.makeFolder("v/sub");
        ASSERT_TRUE(h.log.open(core::ServerLog::pathIn(h.folder.path16())));
    }
    std::u16string file(const std::string& relative) { return h.folder.file16(relative); }

    HandlerHarness h;
    bool result = false;
};

TEST_F(CommandsTest, FileCommandsAnswerAndLogAsTheHeadsetExpects) {
    struct Case {
        const char* name;
        std::u16string command;
        std::vector<std::u16string> args;
        bool result;
        Entries entries;
        std::string logged;  // a piece of the log line, or empty
    };
    const Case cases[] = {
        {"find a folder", u"CM_IS_FIND_PATH", {file("v/sub")}, true, {{1, u""}}, ""},
        {"find a file", u"CM_IS_FIND_PATH", {file("v/a.mp4")}, true, {{2, u""}}, ""},
        {"find nothing", u"CM_IS_FIND_PATH", {file("v/none.mp4")}, true, {{0, u""}}, ""},
        {"find an empty path", u"CM_IS_FIND_PATH", {u""}, true, {{0, u""}}, ""},
        {"play without check", u"CM_PLAY", {file("v/none.mp4"), u"1"}, true, {}, "PLAY_FILE       , path="},
        {"play a missing file", u"CM_PLAY", {file("v/none.mp4"), u"0"}, false, {}, "PLAY_FILE:ERROR , path="},
        {"play a folder", u"CM_PLAY", {file("v/sub"), u"0"}, false, {}, "PLAY_FILE:ERROR"},
        {"make a tree", u"CM_MAKE_DIR", {file("v/new/deeper")}, true, {}, "MAKE_DIR        , dir=\""},
        {"make under a file", u"CM_MAKE_DIR", {file("v/a.mp4/x")}, false, {}, "ERROR:MAKE_DIR  , msg=\"***\", dir="},
        {"favourite is only logged",
         u"CM_SET_FAVORITE",
         {u"1", u"x.mp4"},
         true,
         {},
         "SET_FAVORITE    , on=1, path=\"x.mp4\""},
        {"client log line", u"CM_CLIENT_LOG", {u"TAG", u"text"}, true, {}, "TAG             , text"},
        {"client log with a line break", u"CM_CLIENT_LOG", {u"T", u"a\r\nINJECTED"}, true, {}, "a\\r\\nINJECTED"},
        {"copy times from a missing file", u"CM_COPYTIMESTAMP", {file("v/a.mp4"), file("v/none")}, false, {}, ""},
        {"copy times to a missing file", u"CM_COPYTIMESTAMP", {file("v/none"), file("v/a.mp4")}, false, {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(h, c.command, c.args, &result), c.entries) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        if (!c.logged.empty()) {
            EXPECT_NE(logText(h).find(c.logged), std::string::npos) << c.name;
        }
    }
    EXPECT_EQ(platform::pathKind(file("v/new/deeper")), platform::PathKind::Folder);
    EXPECT_EQ(logText(h).find("\nINJECTED"), std::string::npos) << "a client text never starts a log line";
}

TEST_F(CommandsTest, CopyTimestampGivesTheDestinationTheSourceTimes) {
    h.folder.write("v/b.mp4", "other");
    test::setModificationTime(h.folder.file("v/a.mp4"), 1'000'000'000);
    run(h, u"CM_COPYTIMESTAMP", {file("v/b.mp4"), file("v/a.mp4")}, &result);
    ASSERT_TRUE(result);
    platform::FileTimes a, b;
    ASSERT_TRUE(platform::getFileTimes(file("v/a.mp4"), &a));
    ASSERT_TRUE(platform::getFileTimes(file("v/b.mp4"), &b));
    EXPECT_EQ(b.write, a.write);
    EXPECT_EQ(b.access, a.access);
}

TEST_F(CommandsTest, MarkersRoundTripThroughTheCommands) {
    h.config.trimPath = file("trim");
    ASSERT_TRUE(platform::makeFolder(file("trim")));
    h.apply();
    std::u16string video = file("v/a.mp4");
    run(h, u"CM_LOAD_MARKER", {video}, &result);
    EXPECT_TRUE(result);
    EXPECT_EQ(run(h, u"CM_LOAD_MARKER", {video}, &result), (Entries{{0, u""}})) << "no marker file yet";
    run(h, u"CM_SAVE_MARKER", {video, u"<en.0>1,<a.0>100,<b.0>9000000000,<en.3>2,<a.3>5"}, &result);
    ASSERT_TRUE(result);
    Entries loaded = run(h, u"CM_LOAD_MARKER", {video}, &result);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].first, 1);
    // en.3 was 2, which is not 1: that slot is saved disabled. All eight slots are listed.
    EXPECT_EQ(loaded[0].second,
              u"<en.0>1,<a.0>100,<b.0>9000000000,<en.1>0,<a.1>0,<b.1>0,<en.2>0,<a.2>0,<b.2>0,<en.3>0,<a.3>5,<b.3>0,"
              u"<en.4>0,<a.4>0,<b.4>0,<en.5>0,<a.5>0,<b.5>0,<en.6>0,<a.6>0,<b.6>0,<en.7>0,<a.7>0,<b.7>0");
    EXPECT_EQ(run(h, u"CM_GET_MARKER_LIST", {video, file("v/none.mp4"), u"", video}, &result),
              (Entries{{1, video}, {0, file("v/none.mp4")}}))
        << "entries stop at the first empty argument";
}

TEST_F(CommandsTest, MarkerSaveThatCannotWriteIsAFailureWithItsStatus) {
    h.config.trimPath = file("v/a.mp4");  // a file where the folder should be
    h.apply();
    run(h, u"CM_SAVE_MARKER", {file("v/a.mp4"), u"<en.0>1"}, &result);
    EXPECT_FALSE(result);
    EXPECT_EQ(h.status.current().code, status::kError);
    EXPECT_EQ(h.status.current().text2, u"SaveMarker()");
}

TEST_F(CommandsTest, LiveTimeSuspendsAndReportsEachChangeOnce) {
    struct Step {
        std::u16string a, b;
        bool suspended;
        std::int32_t posted;  // 0: nothing posted
    };
    const Step steps[] = {
        {u"1", u"30", true, status::kSuspended}, {u"1", u"30", true, 0},  {u"0", u"0", true, 0},
        {u"0", u"30", false, status::kResumed},  {u"0", u"30", false, 0},
    };
    for (const auto& step : steps) {
        h.status.takeEvents();
        run(h, u"CM_LIVE_TIME", {step.a, step.b}, &result);
        EXPECT_TRUE(result);
        EXPECT_EQ(h.session.suspended, step.suspended);
        auto events = h.status.takeEvents();
        if (step.posted == 0) {
            EXPECT_TRUE(events.empty());
        } else {
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0].code, step.posted);
            EXPECT_EQ(events[0].text2, u"non");  // no client in this harness
        }
    }
}

TEST_F(CommandsTest, IniCommandsKeepToTheHeadsetsKeys) {
    std::u16string ini = file("TamvikVRServer.ini");
    struct Case {
        const char* name;
        std::u16string command;
        std::vector<std::u16string> args;
        bool result;
        Entries entries;
    };
    ASSERT_TRUE(platform::iniWriteString(ini, u"client", u"rw.empty", u""));
    const Case cases[] = {
        {"write without the prefix", u"CM_INI_WRITE_INT64", {u"Config", u"iPortServer", u"1"}, false, {}},
        {"read without the prefix", u"CM_INI_READ_STRING", {u"Config", u"iPortServer", u""}, false, {}},
        {"prefix is case-sensitive", u"CM_INI_WRITE_INT64", {u"client", u"RW.size", u"1"}, false, {}},
        {"write a negative number", u"CM_INI_WRITE_INT64", {u"client", u"rw.size", u"-12"}, true, {}},
        {"read it back", u"CM_INI_READ_INT64", {u"client", u"rw.size", u"30"}, true, {{0, u"-12"}}},
        {"missing key takes the default", u"CM_INI_READ_INT64", {u"client", u"rw.new", u"30"}, true, {{0, u"30"}}},
        {"64-bit values", u"CM_INI_WRITE_INT64", {u"client", u"rw.big", u"9000000000"}, true, {}},
        {"read 64 bits", u"CM_INI_READ_INT64", {u"client", u"rw.big", u"0"}, true, {{0, u"9000000000"}}},
        {"empty string stays empty", u"CM_INI_READ_STRING", {u"client", u"rw.empty", u"dflt"}, true, {{0, u""}}},
        {"missing string takes the default",
         u"CM_INI_READ_STRING",
         {u"client", u"rw.s", u"dflt"},
         true,
         {{0, u"dflt"}}},
        {"write a string", u"CM_INI_WRITE_STRING", {u"client", u"rw.word", u"日本語"}, true, {}},
        {"read the string", u"CM_INI_READ_STRING", {u"client", u"rw.word", u""}, true, {{0, u"日本語"}}},
        {"a line break cannot be stored", u"CM_INI_WRITE_STRING", {u"client", u"rw.x", u"a\r\n[Config]"}, false, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(h, c.command, c.args, &result), c.entries) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
    EXPECT_EQ(platform::iniReadString(ini, u"client", u"rw.new", u"?"), u"30") << "the default was written back";
    EXPECT_EQ(platform::iniReadString(ini, u"client", u"rw.s", u"?"), u"dflt");
    EXPECT_EQ(platform::iniReadString(ini, u"client", u"rw.empty", u"?"), u"");
    EXPECT_EQ(platform::iniReadString(ini, u"Config", u"iPortServer", u"?"), u"?") << "nothing outside rw. was written";
    EXPECT_EQ(h.status.current().text2, u"IniWriteString()");
}

TEST_F(CommandsTest, IniWriteStringIsCutToTheArgumentsCapacity) {
    std::u16string args[4] = {u"client", u"rw.cut", u"abcdef", u""};
    std::string payload = encodeCommandPayload(u"CM_INI_WRITE_STRING", args);
    // The headset may send a smaller buffer size than its text: the argument length is what counts.
    CommandRecord record;
    RecordView view{kCommand, reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()};
    ASSERT_TRUE(decodeCommandPayload(view, &record));
    record.argBytes[2] = 8;  // room for three characters and the terminator
    CommandCall call(record);
    auto context = h.context();
    ASSERT_TRUE(findCommand(u"CM_INI_WRITE_STRING")(context, call));
    EXPECT_EQ(platform::iniReadString(file("TamvikVRServer.ini"), u"client", u"rw.cut", u"?"), u"abc");
}

TEST_F(CommandsTest, WordListThroughTheCommands) {
    h.config.wordListPath = file("words.txt");
    h.apply();
    struct Case {
        const char* name;
        std::u16string command;
        std::vector<std::u16string> args;
        bool result;
        Entries entries;
    };
    const Case cases[] = {
        {"add", u"CM_WORDLIST_ADD", {u"b", u"x"}, true, {}},
        {"add another id", u"CM_WORDLIST_ADD", {u"a", u"y"}, true, {}},
        {"duplicate refused", u"CM_WORDLIST_ADD", {u"b", u"x"}, false, {}},
        {"a quote cannot be stored", u"CM_WORDLIST_ADD", {u"c", u"say \"hi\""}, false, {}},
        {"count", u"CM_WORDLIST_GETNUM", {}, true, {{2, u""}}},
        {"window past the end", u"CM_WORDLIST_GETITEMN", {u"1", u"10"}, true, {{0, u"<id>\"a\",<word>\"y\""}}},
        {"count 0", u"CM_WORDLIST_GETITEMN", {u"0", u"0"}, true, {}},
        {"negative first", u"CM_WORDLIST_GETITEMN", {u"-1", u"5"}, true, {}},
        {"save", u"CM_WORDLIST_SAVE", {}, true, {}},
        {"saved list is not updated on disk", u"CM_WORDLIST_ISUPDATE", {}, true, {{0, u""}}},
        {"delete", u"CM_WORDLIST_DEL", {u"b", u"x"}, true, {}},
        {"count after delete", u"CM_WORDLIST_GETNUM", {}, true, {{1, u""}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(h, c.command, c.args, &result), c.entries) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
    EXPECT_EQ(h.folder.read("words.txt"), "\xEF\xBB\xBF#start\r\n#dat\t\"a\" \"y\"\r\n#dat\t\"b\" \"x\"\r\n#end\r\n");
    EXPECT_TRUE(h.library.wordList().isModified()) << "the delete waits for the next save";
}

TEST_F(CommandsTest, WordListSaveThatCannotWriteFailsAndKeepsTheChanges) {
    h.config.wordListPath = file("v/sub");  // a folder: the file cannot be written
    h.apply();
    run(h, u"CM_WORDLIST_ADD", {u"a", u"x"}, &result);
    run(h, u"CM_WORDLIST_SAVE", {}, &result);
    EXPECT_FALSE(result);
    EXPECT_EQ(h.status.current().text2, u"SaveWordList()");
    EXPECT_TRUE(h.library.wordList().isModified());
}

TEST_F(CommandsTest, VrFormatRoundTripAndRefusals) {
    h.config.vrFormatPath = file("vr");
    ASSERT_TRUE(platform::makeFolder(file("vr")));
    h.apply();
    std::u16string video = file("v/a.mp4");
    EXPECT_EQ(run(h, u"CM_LOAD_VR_FORMAT", {video}, &result), (Entries{{0, u""}}));
    run(h, u"CM_SAVE_VR_FORMAT", {video, u"<layout>\"SBS\",<screen>\"180\""}, &result);
    ASSERT_TRUE(result);
    EXPECT_EQ(run(h, u"CM_LOAD_VR_FORMAT", {video}, &result), (Entries{{1, u"<layout>\"SBS\",<screen>\"180\""}}));
    const std::pair<std::u16string, std::u16string> texts[] = {
        {u"<layout>\"TB", u"<layout>\"\",<screen>\"\""},  // no closing quote: empty value
        {u"<screen>\"flat\" <layout> = \"tb\"", u"<layout>\"tb\",<screen>\"flat\""},
        {u"<layout>\"sbs\",<screen>\"unclosed", u"<layout>\"sbs\",<screen>\"\""},
    };
    for (const auto& [sent, loaded] : texts) {
        run(h, u"CM_SAVE_VR_FORMAT", {video, sent}, &result);
        ASSERT_TRUE(result) << platform::toUtf8(sent);
        EXPECT_EQ(run(h, u"CM_LOAD_VR_FORMAT", {video}, &result), (Entries{{1, loaded}})) << platform::toUtf8(sent);
    }

    h.config.vrFormatPath = file("v/a.mp4");  // not a folder
    h.apply();
    run(h, u"CM_SAVE_VR_FORMAT", {video, u"<layout>\"SBS\""}, &result);
    EXPECT_FALSE(result);
    EXPECT_EQ(h.status.current().text2, u"SaveVRFormat()");
}

TEST_F(CommandsTest, MoveFileTakesItsCompanionFilesAndNeverOverwrites) {
    h.config.trimPath = file("trim");
    h.config.vrFormatPath = file("vr");
    ASSERT_TRUE(platform::makeFolder(file("trim")));
    ASSERT_TRUE(platform::makeFolder(file("vr")));
    h.apply();
    std::u16string from = file("v/a.mp4");
    run(h, u"CM_SAVE_MARKER", {from, u"<en.0>1,<a.0>5"}, &result);
    run(h, u"CM_SAVE_VR_FORMAT", {from, u"<layout>\"SBS\",<screen>\"180\""}, &result);

    run(h, u"CM_MOVE_FILE", {file("v/a.mkv"), from}, &result);
    EXPECT_FALSE(result) << "another extension";
    EXPECT_NE(logText(h).find("ERROR:MOVE_FILE , msg=\"ドライブまたは拡張子が異なる\""), std::string::npos);

    h.folder.write("w/taken.mp4", "other");
    run(h, u"CM_MOVE_FILE", {file("w/taken.mp4"), from}, &result);
    EXPECT_FALSE(result) << "the target exists";
    EXPECT_EQ(h.folder.read("w/taken.mp4"), "other");
    EXPECT_EQ(h.folder.read("v/a.mp4"), "video");

    run(h, u"CM_MOVE_FILE", {file("new/b.mp4"), from}, &result);
    ASSERT_TRUE(result);
    EXPECT_EQ(h.folder.read("new/b.mp4"), "video");
    EXPECT_EQ(platform::pathKind(from), platform::PathKind::Missing);
    EXPECT_EQ(run(h, u"CM_LOAD_MARKER", {file("new/b.mp4")}, &result)[0].first, 1);
    EXPECT_EQ(run(h, u"CM_LOAD_VR_FORMAT", {file("new/b.mp4")}, &result),
              (Entries{{1, u"<layout>\"SBS\",<screen>\"180\""}}));
    EXPECT_NE(logText(h).find("MOVE_FILE       , to=\""), std::string::npos);
}

// Windows opens "secret.txt." as "secret.txt": a move is judged by the names it reaches, so a
// trailing dot cannot pass a text file off as a video. On Linux the dots are the real names.
TEST_F(CommandsTest, MoveFileJudgesTheNamesTheSystemOpens) {
    h.folder.write("v/secret.txt", "text");
#ifdef _WIN32
    run(h, u"CM_MOVE_FILE", {file("v/shown.mp4."), file("v/secret.txt.")}, &result);
    EXPECT_FALSE(result);
    EXPECT_EQ(h.folder.read("v/secret.txt"), "text");
    EXPECT_EQ(platform::pathKind(file("v/shown.mp4")), platform::PathKind::Missing);
    // "secret.mp4x" has a short name ending in ".MP4", which names that very file.
    h.folder.write("v/secret.mp4x", "secret");
    const std::u16string secret = test::shortPath(file("v/secret.mp4x"));
    if (!secret.empty() && !secret.ends_with(u"secret.mp4x")) {
        run(h, u"CM_MOVE_FILE", {file("v/shown.mp4"), secret}, &result);
        EXPECT_FALSE(result) << "the short name moves secret.mp4x";
        EXPECT_EQ(h.folder.read("v/secret.mp4x"), "secret");
        EXPECT_EQ(platform::pathKind(file("v/shown.mp4")), platform::PathKind::Missing);
    }
    run(h, u"CM_MOVE_FILE", {file("w/b.mp4 ."), file("v/a.mp4")}, &result);
    ASSERT_TRUE(result) << "the target opens as w/b.mp4";
    EXPECT_EQ(h.folder.read("w/b.mp4"), "video");
#else
    h.folder.write("v/secret.txt.", "dotted");
    run(h, u"CM_MOVE_FILE", {file("v/shown.mp4."), file("v/secret.txt.")}, &result);
    ASSERT_TRUE(result);
    EXPECT_EQ(h.folder.read("v/shown.mp4."), "dotted");
    EXPECT_EQ(h.folder.read("v/secret.txt"), "text");
#endif
}

// A video's markers and VR format are kept under the name the system opens: on Windows "a.mp4."
// and a short name are the files a.mp4 and its long name, whose stores they find. On Linux the
// dots are the real names, and each name has stores of its own.
TEST_F(CommandsTest, MarkersAndVrFormatsAreKeptUnderTheNameTheSystemOpens) {
    h.config.trimPath = file("trim");
    h.config.vrFormatPath = file("vr");
    ASSERT_TRUE(platform::makeFolder(file("trim")));
    ASSERT_TRUE(platform::makeFolder(file("vr")));
    h.apply();
    h.folder.write("v/a long video name.mp4", "video");
    std::vector<std::pair<std::u16string, std::string>> spellings = {{file("v/a.mp4."), "a"},
                                                                     {file("v/a.mp4 . "), "a"}};
#ifdef _WIN32
    const std::u16string shortName = test::shortPath(file("v/a long video name.mp4"));
    if (!shortName.empty() && !shortName.ends_with(u"name.mp4")) spellings.emplace_back(shortName, "a long video name");
#else
    spellings = {{file("v/a.mp4."), "a.mp4"}};
#endif
    for (const auto& [spelled, baseName] : spellings) {
        SCOPED_TRACE(platform::toUtf8(spelled));
        run(h, u"CM_SAVE_MARKER", {spelled, u"<en.0>1,<a.0>7"}, &result);
        ASSERT_TRUE(result);
        run(h, u"CM_SAVE_VR_FORMAT", {spelled, u"<layout>\"SBS\",<screen>\"180\""}, &result);
        ASSERT_TRUE(result);
        EXPECT_EQ(platform::pathKind(file("trim/" + baseName + ".trm")), platform::PathKind::File);
        EXPECT_EQ(platform::pathKind(file("vr/" + baseName + ".ini")), platform::PathKind::File);
        EXPECT_EQ(run(h, u"CM_GET_MARKER_LIST", {spelled}, &result), (Entries{{1, spelled}}));
        EXPECT_EQ(run(h, u"CM_LOAD_VR_FORMAT", {spelled}, &result), (Entries{{1, u"<layout>\"SBS\",<screen>\"180\""}}));
    }
#ifdef _WIN32
    EXPECT_EQ(platform::pathKind(file("trim/a.mp4.trm")), platform::PathKind::Missing);
    EXPECT_EQ(run(h, u"CM_LOAD_MARKER", {file("v/a.mp4")}, &result)[0].first, 1) << "the file's own name finds them";
#else
    EXPECT_EQ(run(h, u"CM_LOAD_MARKER", {file("v/a.mp4")}, &result)[0].first, 0) << "a.mp4 is another file";
#endif
}

// A move that fails leaves the disk as it was: no folder it made for the target stays.
TEST_F(CommandsTest, FailedMoveLeavesNoFolderBehindAndANameWithoutExtensionIsAFile) {
    h.folder.write("v/plain", "no extension");
    run(h, u"CM_MOVE_FILE", {file("x/y/renamed"), file("v/plain")}, &result);
    ASSERT_TRUE(result);
    EXPECT_EQ(h.folder.read("x/y/renamed"), "no extension");

    run(h, u"CM_MOVE_FILE", {file("v/sub/deeper/sub"), file("v/sub")}, &result);
    EXPECT_FALSE(result) << "a folder into itself";
    run(h, u"CM_MOVE_FILE", {file("n1/n2/gone.mp4"), file("v/gone.mp4")}, &result);
    EXPECT_FALSE(result) << "no such source";
    // The folder tree itself fails part-way: "new" and "new/a" are made, the 300-character name is refused.
    run(h, u"CM_MOVE_FILE", {file("new/a/" + std::string(300, 'n') + "/v.mp4"), file("v/a.mp4")}, &result);
    EXPECT_FALSE(result) << "a folder name longer than any file system allows";
    EXPECT_EQ(platform::pathKind(file("new")), platform::PathKind::Missing);
    EXPECT_EQ(h.folder.read("v/a.mp4"), "video");
    EXPECT_EQ(platform::pathKind(file("v/sub")), platform::PathKind::Folder);
    EXPECT_EQ(platform::pathKind(file("v/sub/deeper")), platform::PathKind::Missing);
    EXPECT_EQ(platform::pathKind(file("n1")), platform::PathKind::Missing);
}

TEST_F(CommandsTest, SearchCommandsFailUntilTheFirstStartThenServeRows) {
    for (const char16_t* name : {u"CM_SEARCH_ISFINISHED", u"CM_SEARCH_REQUESTCANCEL", u"CM_SEARCH_GETNUM",
                                 u"CM_SEARCH_GETPATH", u"CM_SEARCH_GETDIR", u"CM_SEARCH_GETPROGRESS"}) {
        run(h, name, {u"0", u"5"}, &result);
        EXPECT_FALSE(result) << platform::toUtf8(name);
    }
    for (int i = 0; i < 40; ++i) h.folder.makeFolder("tree/d" + std::to_string(i));
    h.folder.makeFolder("tree/d7/inner");
    run(h, u"CM_GETDIR", {file("tree")}, &result);
    ASSERT_TRUE(result);
    for (int i = 0; i < 500; ++i) {
        if (run(h, u"CM_SEARCH_ISFINISHED", {}, &result) == Entries{{1, u""}}) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(run(h, u"CM_SEARCH_GETNUM", {}, &result), (Entries{{40, u""}}));
    const Entries window = run(h, u"CM_SEARCH_GETDIR", {u"0", u"100"}, &result);
    EXPECT_EQ(window.size(), 32u) << "a window holds 32 rows";
    Entries rows = window;
    for (const auto& entry : run(h, u"CM_SEARCH_GETDIR", {u"32", u"100"}, &result)) rows.push_back(entry);
    const auto hasRow = [&](std::u16string_view text) {
        return std::find(rows.begin(), rows.end(), std::pair{0, std::u16string(text)}) != rows.end();
    };
    EXPECT_TRUE(hasRow(u"<flag>1,<type>0,<dir_name>\"d7\",<disp_name>\"d7\")")) << "d7 has a folder of its own";
    EXPECT_TRUE(hasRow(u"<flag>0,<type>0,<dir_name>\"d8\",<disp_name>\"d8\")"));
    EXPECT_EQ(run(h, u"CM_SEARCH_GETDIR", {u"38", u"10"}, &result).size(), 2u);
    EXPECT_TRUE(run(h, u"CM_SEARCH_GETDIR", {u"-1", u"10"}, &result).empty());
    EXPECT_EQ(run(h, u"CM_SEARCH_GETPROGRESS", {}, &result).at(0).first, 1);
}

TEST_F(CommandsTest, BothRowReadsGiveEachRowsTextWhicheverSearchMadeIt) {
    h.folder.makeFolder("tree/A/x");
    h.folder.write("SearchFolder1.vrl", h.folder.file("v") + "\n");
    h.config.searchFolder1 = u"SearchFolder1.vrl";
    h.config.extensions = u"mp4";
    h.apply();
    ASSERT_TRUE(h.command(u"CM_SAVE_MARKER", {file("v/a.mp4"), u"<en.0>1,<a.0>5,<b.0>9"}));
    const std::u16string video = file("v/a.mp4");
    const std::u16string folderA = u"<flag>1,<type>0,<dir_name>\"A\",<disp_name>\"A\")";
    struct Case {
        const char* name;
        std::u16string start;
        std::u16string request;
        Entries paths;  // CM_SEARCH_GETPATH: marker state of the row text
        Entries dirs;   // CM_SEARCH_GETDIR: value 0
    };
    const Case cases[] = {
        {"find a file", u"CM_FIND_FILE", video, {{1, video}}, {{0, video}}},
        {"search names", u"CM_SEARCH_FILE", u"a.mp", {{1, video}}, {{0, video}}},
        {"list folders", u"CM_GETDIR", file("tree"), {{0, folderA}}, {{0, folderA}}},
    };
    for (const auto& c : cases) {
        run(h, c.start, {c.request}, &result);
        ASSERT_TRUE(result) << c.name;
        for (int i = 0; i < 500; ++i) {
            if (run(h, u"CM_SEARCH_ISFINISHED", {}, &result) == Entries{{1, u""}}) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(run(h, u"CM_SEARCH_GETPATH", {u"0", u"1"}, &result), c.paths) << c.name;
        EXPECT_EQ(run(h, u"CM_SEARCH_GETDIR", {u"0", u"1"}, &result), c.dirs) << c.name;
    }
}

}  // namespace
}  // namespace tvr::protocol
