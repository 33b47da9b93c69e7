// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::core {
namespace {

using Lines = std::vector<std::u16string>;

// The file's non-empty lines, decoded from its bytes.
Lines linesOf(const std::string& bytes) {
    std::u16string text = platform::decodeText(bytes);
    Lines lines;
    std::u16string line;
    for (char16_t c : text) {
        if (c == u'\r') continue;
        if (c == u'\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string utf16File(std::u16string_view text) { return platform::encodeText(text, platform::TextEncoding::Utf16Le); }

const Lines kDefaultFile = {
    u"[ch.0]",
    u"iType=1",
    u"pcPath=",
    u"[ch.1]",
    u"iType=0",
    u"pcPath=",
    u"[ch.2]",
    u"iType=4",
    u"pcPath=ch3.vrl",
    u"[ch.3]",
    u"iType=4",
    u"pcPath=ch4.vrl",
    u"[ch.4]",
    u"iType=4",
    u"pcPath=ch5.vrl",
    u"[ch.5]",
    u"iType=4",
    u"pcPath=ch6.vrl",
    u"[ch.6]",
    u"iType=2",
    u"pcPath=search.vrl",
    u"[ch.7]",
    u"iType=3",
    u"pcPath=favorite.vrl",
    u"[File]",
    u"pcExt=mp4",
    u"pcSearchFolder1=SearchFolder1.vrl",
    u"pcTrimPath=trim",
    u"pcVRFormatPath=VRFormat",
    u"pcWordListPath=WordList.txt",
    u"pcPCFolderListPath=PCFolderList.vrl",
    u"[Setup]",
    u"iSeek1FF=10",
    u"iSeek1RW=-3",
    u"[PlaybackRate]",
    u"rw.rate.0=50",
    u"rw.rate.1=75",
    u"rw.rate.2=100",
    u"rw.rate.3=125",
    u"rw.rate.4=150",
    u"rw.rate.5=200",
    u"[ScreenSize]",
    u"rw.size.0=80",
    u"rw.size.1=100",
    u"rw.size.2=120",
    u"[Config]",
    u"iUsePassword=0",
    u"pcPassword=",
    u"iUseMouse=0",
    u"iUseMouseScale=100",
    u"iLiveTimeOutSec=120",
    u"iServerLog=0",
    u"iPortServer=11922",
    u"iPortHttp=11921",
    u"iPortMouse=11923",
    u"iUseWeb=-1",
    u"iPortWeb=11924",
    u"iUseWebLan=0",
};

class SettingsTest : public ::testing::Test {
protected:
    std::u16string ini() const { return temp.file16("TamvikVRServer.ini"); }
    std::string bytes() const { return temp.read("TamvikVRServer.ini"); }
    std::u16string readKey(std::u16string_view section, std::u16string_view key) const {
        return platform::iniReadString(ini(), section, key, u"<missing>");
    }
    test::TempFolder temp;
};

TEST_F(SettingsTest, MissingFileIsCreatedWithEveryKeyInOrder) {
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    std::string content = bytes();
    ASSERT_GE(content.size(), 2u);
    EXPECT_EQ(content.substr(0, 2), std::string("\xFF\xFE"));
    EXPECT_EQ(linesOf(content), kDefaultFile);
    EXPECT_EQ(store.config(), defaultConfig());
    EXPECT_EQ(store.snapshot(), defaultConfig());
}

TEST_F(SettingsTest, PresentKeysAreReadAndMissingOnesWritten) {
    temp.write("TamvikVRServer.ini", utf16File(u"[Config]\r\niPortServer=12000\r\n"));
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.config().portServer, 12000);
    Config expected = defaultConfig();
    expected.portServer = 12000;
    EXPECT_EQ(store.config(), expected);
    EXPECT_EQ(readKey(u"Config", u"iPortServer"), u"12000");
    EXPECT_EQ(readKey(u"ch.7", u"pcPath"), u"favorite.vrl");
    EXPECT_EQ(readKey(u"ScreenSize", u"rw.size.2"), u"120");
    EXPECT_EQ(readKey(u"Config", u"iPortMouse"), u"11923");
    EXPECT_EQ(linesOf(bytes()).size(), kDefaultFile.size());
}

TEST_F(SettingsTest, EmptyIntegerIsWrittenBackWithItsDefault) {
    temp.write("TamvikVRServer.ini", utf16File(u"[Config]\r\niPortServer=\r\n"));
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.config().portServer, 11922);
    EXPECT_EQ(readKey(u"Config", u"iPortServer"), u"11922");
}

TEST_F(SettingsTest, EmptyTextStaysEmpty) {
    temp.write("TamvikVRServer.ini", utf16File(u"[ch.2]\r\npcPath=\r\n[Config]\r\npcPassword=\r\n"));
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.config().channels[2].path, u"");
    EXPECT_EQ(readKey(u"ch.2", u"pcPath"), u"");
    EXPECT_EQ(store.config().password, u"");
    EXPECT_EQ(store.config().channels[3].path, u"ch4.vrl");
}

TEST_F(SettingsTest, NonNumberKeepsTheDefaultAndTheFileKeepsTheTextAndIsNamed) {
    temp.write("TamvikVRServer.ini",
               utf16File(u"[Setup]\r\niSeek1FF=ten\r\n[Config]\r\niPortHttp=abc\r\niPortMouse= -12x\r\n"));
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.config().portHttp, 11921);
    EXPECT_EQ(store.config().seekForward, 10);
    EXPECT_EQ(readKey(u"Config", u"iPortHttp"), u"abc");
    EXPECT_EQ(store.config().portMouse, -12);
    ASSERT_EQ(store.problems().size(), 2u) << "a number with trailing text still scans";
    EXPECT_EQ(store.problems()[0].key, u"iSeek1FF");
    EXPECT_EQ(store.problems()[0].text, u"ten");
    ASSERT_NE(store.configProblem(u"iPortHttp"), nullptr);
    EXPECT_EQ(store.configProblem(u"iPortHttp")->text, u"abc");
    EXPECT_EQ(store.configProblem(u"iPortServer"), nullptr);
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.problems().size(), 2u) << "a second load starts a fresh list";
}

TEST_F(SettingsTest, SaveWritesOnlyTheChangedKey) {
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    // A value edited by hand while the program runs survives a save that does not touch it.
    ASSERT_TRUE(platform::iniWriteString(ini(), u"Config", u"iPortHttp", u"5555"));
    Lines before = linesOf(bytes());
    store.config().useMouse = 1;
    ASSERT_TRUE(store.save());
    Lines after = linesOf(bytes());
    ASSERT_EQ(after.size(), before.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] != before[i]) differing.push_back(i);
    }
    ASSERT_EQ(differing.size(), 1u);
    EXPECT_EQ(after[differing[0]], u"iUseMouse=1");
    EXPECT_EQ(readKey(u"Config", u"iPortHttp"), u"5555");
    EXPECT_EQ(store.snapshot(), store.config());
}

TEST_F(SettingsTest, DeletedFileIsRecreatedWithOnlyTheChangedKeys) {
    SettingsStore store(ini());
    ASSERT_TRUE(store.load());
    ASSERT_TRUE(std::filesystem::remove(temp.file("TamvikVRServer.ini")));
    store.config().useMouse = 1;
    store.config().extensions = u"mp4 avi";
    store.config().channels[1].path = u"D:\\動画";
    ASSERT_TRUE(store.save());
    std::string content = bytes();
    ASSERT_GE(content.size(), 2u);
    EXPECT_EQ(content.substr(0, 2), std::string("\xFF\xFE"));
    EXPECT_EQ(linesOf(content),
              (Lines{u"[ch.1]", u"pcPath=D:\\動画", u"[File]", u"pcExt=mp4 avi", u"[Config]", u"iUseMouse=1"}));

    // Nothing changed since that save: a recreated file stays empty.
    ASSERT_TRUE(std::filesystem::remove(temp.file("TamvikVRServer.ini")));
    ASSERT_TRUE(store.save());
    EXPECT_TRUE(linesOf(bytes()).empty());
}

TEST_F(SettingsTest, FolderInThePlaceOfTheFileFailsLoadAndSave) {
    temp.makeFolder("TamvikVRServer.ini");
    SettingsStore store(ini());
    EXPECT_FALSE(store.load());
    EXPECT_FALSE(store.save());
}

TEST_F(SettingsTest, LongTextsAreKeptWhole) {
    std::u16string longPath = u"/videos/" + std::u16string(400, u'x');
    {
        SettingsStore store(ini());
        ASSERT_TRUE(store.load());
        store.config().channels[0].path = longPath;
        ASSERT_TRUE(store.save());
    }
    SettingsStore reloaded(ini());
    ASSERT_TRUE(reloaded.load());
    EXPECT_EQ(reloaded.config().channels[0].path, longPath);
}

TEST_F(SettingsTest, WindowRectIsStoredRightAlignedInEightCharacters) {
    WindowRect rect{10, -20, 1300, 12345678};
    ASSERT_TRUE(writeWindowRect(ini(), u"cdlgMain", rect));
    EXPECT_EQ(linesOf(bytes()), (Lines{u"[cdlgMain]", u"mrcWnd.rcLeft=      10", u"mrcWnd.rcTop=     -20",
                                       u"mrcWnd.rcRight=    1300", u"mrcWnd.rcBottom=12345678"}));
    WindowRect read;
    ASSERT_TRUE(readWindowRect(ini(), u"cdlgMain", &read));
    EXPECT_EQ(read, rect);
}

TEST_F(SettingsTest, IncompleteWindowRectLeavesTheRectUnchanged) {
    temp.write(
        "TamvikVRServer.ini",
        utf16File(u"[cdlgConfig]\r\nmrcWnd.rcLeft=1\r\nmrcWnd.rcTop=2\r\nmrcWnd.rcRight=\r\nmrcWnd.rcBottom=4\r\n"
                  u"[cdlgMain]\r\nmrcWnd.rcLeft=1\r\nmrcWnd.rcTop=2\r\nmrcWnd.rcRight=3\r\n"));
    const WindowRect original{7, 8, 9, 10};
    WindowRect rect = original;
    EXPECT_FALSE(readWindowRect(ini(), u"cdlgConfig", &rect));
    EXPECT_FALSE(readWindowRect(ini(), u"cdlgMain", &rect));
    EXPECT_FALSE(readWindowRect(ini(), u"missing", &rect));
    EXPECT_EQ(rect, original);
}

TEST_F(SettingsTest, ReadStringTellsMissingFromEmptyAndCutsToCapacity) {
    temp.write("TamvikVRServer.ini", utf16File(u"[client]\r\nempty=\r\nword=abcdefgh\r\n"));
    std::u16string value = u"unchanged";
    EXPECT_FALSE(readString(ini(), u"client", u"missing", &value, 1040));
    EXPECT_EQ(value, u"unchanged");
    EXPECT_TRUE(readString(ini(), u"client", u"empty", &value, 1040));
    EXPECT_EQ(value, u"");
    EXPECT_TRUE(readString(ini(), u"client", u"word", &value, 8));
    EXPECT_EQ(value, u"abc");
    EXPECT_FALSE(readString(ini(), u"client", u"word", &value, 1));
}

TEST_F(SettingsTest, WriteStringCutsToCapacity) {
    ASSERT_TRUE(writeString(ini(), u"client", u"key", u"abcdefgh", 10));
    EXPECT_EQ(readKey(u"client", u"key"), u"abcd");
    ASSERT_TRUE(writeString(ini(), u"client", u"key", u"日本語テキスト", 520));
    EXPECT_EQ(readKey(u"client", u"key"), u"日本語テキスト");
    EXPECT_FALSE(writeString(ini(), u"client", u"other", u"x", 0));
    EXPECT_EQ(readKey(u"client", u"other"), u"<missing>");
}

}  // namespace
}  // namespace tvr::core
