// SPDX-License-Identifier: MIT
#include "stores/vr_format_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::stores {
namespace {

std::string utf16File(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class VrFormatStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = core::executableFolder();
        core::setExecutableFolder(tmp.path16());
        tmp.makeFolder("VRFormat");
    }
    void TearDown() override { core::setExecutableFolder(previous_); }

    test::TempFolder tmp;
    const std::u16string folder = tmp.file16("VRFormat");

private:
    std::u16string previous_;
};

TEST_F(VrFormatStoreTest, SavedFormatIsFoundByBaseNameFromAnyFolder) {
    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"A", u"B"}, u"D:\\v\\m.mp4"));
    EXPECT_EQ(tmp.read("VRFormat/m.ini"), utf16File("[VIDEO]\r\nImageLayout=A\r\nScreenType=B\r\n"));
    VrFormat got;
    ASSERT_TRUE(loadVrFormat(folder, u"/x/m.mkv", &got));
    EXPECT_EQ(got, (VrFormat{u"A", u"B"}));

    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"", u"C"}, u"/y/m.mp4"));
    EXPECT_EQ(tmp.read("VRFormat/m.ini"), utf16File("[VIDEO]\r\nImageLayout=\r\nScreenType=C\r\n"));
    ASSERT_TRUE(loadVrFormat(folder, u"m.mp4", &got));
    EXPECT_EQ(got, (VrFormat{u"", u"C"}));
}

TEST_F(VrFormatStoreTest, LoadNeedsBothKeysButAcceptsEmptyValues) {
    struct Case {
        const char* content;
        bool found;
        VrFormat format;
    } cases[] = {
        {"[VIDEO]\r\nImageLayout=L\r\n", false, {}},
        {"[VIDEO]\r\nScreenType=S\r\n", false, {}},
        {"[VIDEO]\r\nImageLayout=\r\nScreenType=B\r\n", true, {u"", u"B"}},
        {"[video]\r\nscreentype = S \r\nimagelayout=\"L\"\r\n", true, {u"L", u"S"}},
        {"[OTHER]\r\nImageLayout=L\r\nScreenType=S\r\n", false, {}},
    };
    for (const Case& c : cases) {
        tmp.write("VRFormat/v.ini", utf16File(c.content));
        VrFormat got;
        EXPECT_EQ(loadVrFormat(folder, u"/d/v.mp4", &got), c.found) << c.content;
        if (c.found) {
            EXPECT_EQ(got, c.format) << c.content;
        }
    }
    VrFormat got;
    EXPECT_FALSE(loadVrFormat(folder, u"/d/none.mp4", &got));
    EXPECT_FALSE(loadVrFormat(u"", u"/d/v.mp4", &got));
}

TEST_F(VrFormatStoreTest, SaveFailsWhenItsKeysCannotBeWrittenAndKeepsTheOldFile) {
    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"A", u"B"}, u"/v/m.mp4"));
    const std::string before = tmp.read("VRFormat/m.ini");
    // The layout is fine, the screen cannot be stored: neither key may change.
    EXPECT_FALSE(saveVrFormatFile(folder, VrFormat{u"new", u"two\nlines"}, u"/v/m.mp4"));
    EXPECT_EQ(tmp.read("VRFormat/m.ini"), before);

    tmp.makeFolder("VRFormat/taken.ini");
    EXPECT_FALSE(saveVrFormatFile(folder, VrFormat{u"A", u"B"}, u"/v/taken.mp4"));
    EXPECT_FALSE(saveVrFormatFile(u"", VrFormat{u"A", u"B"}, u"/v/m.mp4"));
    EXPECT_FALSE(saveVrFormatFile(tmp.file16("missing"), VrFormat{u"A", u"B"}, u"/v/m.mp4"));
}

TEST_F(VrFormatStoreTest, MoveRenamesButNeverOverwrites) {
    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"A", u"B"}, u"/v/a.mp4"));
    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"C", u"D"}, u"/v/c.mp4"));

    EXPECT_FALSE(moveVrFormatFile(folder, u"/v/c.mp4", u"/v/a.mp4"));
    VrFormat got;
    ASSERT_TRUE(loadVrFormat(folder, u"/v/a.mp4", &got));
    EXPECT_EQ(got.layout, u"A");
    ASSERT_TRUE(loadVrFormat(folder, u"/v/c.mp4", &got));
    EXPECT_EQ(got.layout, u"C");

    EXPECT_TRUE(moveVrFormatFile(folder, u"/w/b.mp4", u"/v/a.mp4"));
    EXPECT_FALSE(std::filesystem::exists(tmp.file("VRFormat/a.ini")));
    ASSERT_TRUE(loadVrFormat(folder, u"/w/b.mp4", &got));
    EXPECT_EQ(got, (VrFormat{u"A", u"B"}));

    EXPECT_TRUE(moveVrFormatFile(folder, u"/w/x.mp4", u"/v/none.mp4"));
    EXPECT_TRUE(moveVrFormatFile(folder, u"/other/b.mp4", u"/w/b.mp4"));
    EXPECT_TRUE(std::filesystem::exists(tmp.file("VRFormat/b.ini")));
}

TEST(VrFormatText, ParsesTheHeadsetTextAndFormatsTheReply) {
    struct Case {
        std::u16string text;
        VrFormat format;
    } cases[] = {
        {u"<layout>\"sbs\",<screen>\"dome\"", {u"sbs", u"dome"}},
        {u"<screen>\"flat\" <layout> = \"tb\"", {u"tb", u"flat"}},
        {u"<layout>\"sbs\"", {u"sbs", u""}},
        {u"<layout>\"open,<screen>\"x\"", {u"open,<screen>", u"x"}},
        {u"<layout>\"sbs\",<screen>\"unclosed", {u"sbs", u""}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseVrFormatText(c.text), c.format) << platform::toUtf8(c.text);
    }
    EXPECT_EQ(formatVrFormatText(VrFormat{u"a", u""}), u"<layout>\"a\",<screen>\"\"");
}

}  // namespace
}  // namespace tvr::stores
