// SPDX-License-Identifier: MIT
#include "core/log.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::core {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kTimestamp = R"(\d{4}-\d{2}-\d{2}, \d{2}:\d{2}:\d{2}, )";

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(LogFormatTest, TimestampIsZeroPaddedWithCommas) {
    platform::LocalTime time{2024, 3, 5, 7, 8, 9};
    EXPECT_EQ(logTimestamp(time), u"2024-03-05, 07:08:09, ");
    EXPECT_EQ(logTimestamp({1999, 12, 31, 23, 59, 58}), u"1999-12-31, 23:59:58, ");
}

TEST(LogFormatTest, EventLineHasHexCodeAndQuotedTexts) {
    EXPECT_EQ(eventMessage(0, u"", u""), u"EVENT           , code=0x0000, msg1=\"\", msg2=\"\"");
    EXPECT_EQ(eventMessage(3, u"切断(無通信:120秒)", u"192.168.1.5"),
              u"EVENT           , code=0x0003, msg1=\"切断(無通信:120秒)\", msg2=\"192.168.1.5\"");
    EXPECT_EQ(eventMessage(0x1A2B, u"a", u"b"), u"EVENT           , code=0x1A2B, msg1=\"a\", msg2=\"b\"");
}

TEST(LogFormatTest, TaggedLinePadsTheTag) {
    EXPECT_EQ(taggedMessage(u"MAKE_DIR", u"dir=\"D:/v/new\""), u"MAKE_DIR        , dir=\"D:/v/new\"");
    EXPECT_EQ(taggedMessage(u"PLAY_FILE:ERROR", u"path=\"x\""), u"PLAY_FILE:ERROR , path=\"x\"");
}

TEST(LogFormatTest, PathIsBesideTheGivenFolder) {
    EXPECT_EQ(ServerLog::pathIn(u"/opt/tvr"), u"/opt/tvr/TamvikVR Server[Log].txt");
    EXPECT_EQ(ServerLog::pathIn(u"/opt/tvr/"), u"/opt/tvr/TamvikVR Server[Log].txt");
}

class ServerLogTest : public ::testing::Test {
protected:
    std::u16string path() const { return ServerLog::pathIn(temp.path16()); }
    std::string content() const { return temp.read("TamvikVR Server[Log].txt"); }
    test::TempFolder temp;
};

TEST_F(ServerLogTest, NewFileStartsWithBomAndStartLine) {
    ServerLog log;
    ASSERT_TRUE(log.open(path()));
    EXPECT_TRUE(log.isOpen());
    log.write(u"SHUTDOWN");
    log.flush();
    std::string text = content();
    ASSERT_EQ(text.substr(0, 3), kBom);
    auto lines = splitLines(text.substr(3));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(kTimestamp + "START           , TamvikVR Server Ver1\\.32a : "
                                                                   "Protocol Ver130")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(kTimestamp + "SHUTDOWN"))) << lines[1];
    EXPECT_EQ(text.back(), '\n');
    log.close();
    EXPECT_FALSE(log.isOpen());
}

TEST_F(ServerLogTest, ExistingFileIsAppendedWithoutASecondBom) {
    {
        ServerLog first;
        ASSERT_TRUE(first.open(path()));
        first.write(taggedMessage(u"MAKE_DIR", u"dir=\"動画\""));
    }
    std::string before = content();
    ServerLog second;
    ASSERT_TRUE(second.open(path()));
    second.close();
    std::string after = content();
    ASSERT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(after.find(kBom, 1), std::string::npos);
    auto lines = splitLines(after.substr(3));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[1].find("dir=\"" + platform::toUtf8(u"動画") + "\""), std::string::npos);
    EXPECT_NE(lines[2].find("START"), std::string::npos);
}

TEST_F(ServerLogTest, ClosedLogWritesNothingAndReopeningOpenLogAddsNoStartLine) {
    ServerLog log;
    log.write(u"ignored");
    log.flush();
    EXPECT_EQ(content(), "");
    ASSERT_TRUE(log.open(path()));
    ASSERT_TRUE(log.open(path()));
    log.close();
    log.write(u"after close");
    EXPECT_EQ(splitLines(content()).size(), 1u);
}

TEST_F(ServerLogTest, FileThatCannotBeOpenedLeavesTheLogClosed) {
    ServerLog log;
    EXPECT_FALSE(log.open(ServerLog::pathIn(temp.file16("missing/folder"))));
    EXPECT_FALSE(log.isOpen());
}

TEST_F(ServerLogTest, TwoWritersNeverMixTheirLines) {
    ServerLog log;
    ASSERT_TRUE(log.open(path()));
    const int perThread = 300;
    auto writer = [&](std::u16string tag) {
        for (int i = 0; i < perThread; ++i)
            log.write(taggedMessage(tag, u"path=\"" + std::u16string(40, u'x') + u"\""));
    };
    std::thread a(writer, u"EVENT");
    std::thread b(writer, u"PLAY_FILE");
    a.join();
    b.join();
    log.close();
    auto lines = splitLines(content().substr(3));
    ASSERT_EQ(lines.size(), 1u + 2 * perThread);
    std::regex whole(kTimestamp + "(EVENT|PLAY_FILE) +, path=\"x{40}\"");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        ASSERT_TRUE(std::regex_match(lines[i], whole)) << lines[i];
    }
}

TEST_F(ServerLogTest, AtItsCapTheFileMovesToDotOneAndStartsAgain) {
    // Every line here is the 22-character timestamp, 64 message characters and a line feed.
    constexpr std::int64_t kLine = 22 + 64 + 1;
    constexpr std::int64_t kCap = 3 + 10 * kLine;
    temp.write("TamvikVR Server[Log].txt.1", "an older rotation that goes");
    ServerLog log(kCap);
    ASSERT_TRUE(log.open(path()));
    const int written = 40;
    for (int i = 0; i < written; ++i)
        log.write(taggedMessage(u"EVENT", std::u16string(46, static_cast<char16_t>(u'a' + i % 26))));
    log.close();

    const std::string current = content();
    const std::string older = temp.read("TamvikVR Server[Log].txt.1");
    for (const std::string* file : {&current, &older}) {
        EXPECT_LE(static_cast<std::int64_t>(file->size()), kCap);
        ASSERT_EQ(file->substr(0, 3), kBom);
        for (const std::string& line : splitLines(file->substr(3))) {
            EXPECT_TRUE(std::regex_match(line, std::regex(kTimestamp + "(START|EVENT) .*"))) << line;
        }
    }
    // The two files hold the newest lines in order, at least a cap's worth less one line.
    std::vector<char> letters;
    for (const std::string* file : {&older, &current}) {
        for (const std::string& line : splitLines(file->substr(3))) letters.push_back(line.back());
    }
    ASSERT_GE(letters.size(), 10u);
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const int index = written - static_cast<int>(letters.size()) + static_cast<int>(i);
        EXPECT_EQ(letters[i], 'a' + index % 26) << i;
    }
}

TEST_F(ServerLogTest, AnExistingFileCountsTowardsTheCap) {
    temp.write("TamvikVR Server[Log].txt", kBom + std::string(500, 'x') + "\n");
    ServerLog log(400);
    ASSERT_TRUE(log.open(path()));
    log.close();
    EXPECT_EQ(temp.read("TamvikVR Server[Log].txt.1"), kBom + std::string(500, 'x') + "\n");
    auto lines = splitLines(content().substr(3));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("START"), std::string::npos);
}

}  // namespace
}  // namespace tvr::core
