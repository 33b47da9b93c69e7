// SPDX-License-Identifier: MIT
#include "stores/vr_format_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
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
        dataFolder_.set(tmp.path16());
        tmp.makeFolder("VRFormat");
    }

    test::TempFolder tmp;
    const std::u16string folder = tmp.file16("VRFormat");

private:
    test::DataFolderScope dataFolder_;
};

TEST_F(VrFormatStoreTest, SavedFormatIsFoundByBaseNameFromAnyFolder) {
    ASSERT_TRUE(saveVrFormatFile(folder, VrFormat{u"A", u"B"}, u"D:\\v\\m.mp4"));
    EXPECT_EQ(tmp.read("VRFormat/m.ini"), utf16File("[VIDEO]\r\nImageLayout=A\r\nScreenType=B\r\n"));
    VrFormat got;
    ASSERT_TRUE(loadVrFormat(folder, u"/x/m.mkv", &got));
    EXPECT_EQ(got, (VrFormat{u"A", u"B"}));
}

TEST_F(VrFormatStoreTest, LoadNeedsBothKeysButAcceptsEmptyValues) {
    const std::pair<const char*, bool> cases[] = {
        {"[VIDEO]\r\nImageLayout=L\r\n", false},
        {"[VIDEO]\r\nScreenType=S\r\n", false},
        {"[video]\r\nscreentype = S \r\nimagelayout=\r\n", true},
    };
    VrFormat got;
    for (const auto& [content, found] : cases) {
        tmp.write("VRFormat/v.ini", utf16File(content));
        EXPECT_EQ(loadVrFormat(folder, u"/d/v.mp4", &got), found) << content;
    }
    EXPECT_EQ(got, (VrFormat{u"", u"S"}));
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
    const std::string before = tmp.read("VRFormat/c.ini");
    EXPECT_FALSE(moveVrFormatFile(folder, u"/v/c.mp4", u"/v/a.mp4"));
    EXPECT_EQ(tmp.read("VRFormat/c.ini"), before);

    EXPECT_TRUE(moveVrFormatFile(folder, u"/w/b.mp4", u"/v/a.mp4"));
    EXPECT_FALSE(std::filesystem::exists(tmp.file("VRFormat/a.ini")));
    VrFormat got;
    ASSERT_TRUE(loadVrFormat(folder, u"/w/b.mp4", &got));
    EXPECT_EQ(got, (VrFormat{u"A", u"B"}));
    EXPECT_TRUE(moveVrFormatFile(folder, u"/w/x.mp4", u"/v/none.mp4"));
}

}  // namespace
}  // namespace tvr::stores
