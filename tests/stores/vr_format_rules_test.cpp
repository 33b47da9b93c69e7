// SPDX-License-Identifier: MIT
#include "stores/vr_format_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::stores {
namespace {

using Rules = std::vector<VrRule>;

VrRule rule(bool sp, const std::string& key, const std::string& layout, const std::string& screen) {
    return VrRule{sp, platform::fromUtf8(key), platform::fromUtf8(layout), platform::fromUtf8(screen)};
}

class VrFormatRulesTest : public ::testing::Test {
protected:
    void SetUp() override { dataFolder_.set(tmp.path16()); }

    // Writes VRFormat.txt beside the executable and reads its rules.
    bool read(const std::string& content) {
        tmp.write("VRFormat.txt", content);
        return readVrFormatRules(u"VRFormat.txt", &rules);
    }

    test::TempFolder tmp;
    Rules rules;

private:
    test::DataFolderScope dataFolder_;
};

TEST_F(VrFormatRulesTest, ReadsEachRuleInEitherForm) {
    ASSERT_TRUE(
        read("\xEF\xBB\xBF#start\r\n"
             "tag=\"abc\" layout=\"L1\" screen=\"S1\"\r\n"
             "param=\"P\" tag_sp=\"x\" type=\"T\" ; a note\r\n"
             "#end\r\n"));
    EXPECT_EQ(rules, (Rules{rule(false, "abc", "L1", "S1"), rule(true, "x", "T", "P")}));
}

TEST_F(VrFormatRulesTest, MalformedLinesAreLeftOut) {
    ASSERT_TRUE(
        read("tag=\"before\" layout=\"L\" screen=\"S\"\n"
             "#start now\n"
             "tag=\"early\" layout=\"L\" screen=\"S\"\n"
             "#start\n"
             "\n"
             "#comment tag=\"c\" layout=\"L\" screen=\"S\"\n"
             "tag=\"noscreen\" layout=\"L\"\n"
             "tag=\"open\" screen=\"S\" layout=\"L\n"
             "tag=\"unclosed layout=\"L\"\n"
             "layout=\"L\" screen=\"S\" ; tag=\"in comment\"\n"
             "tag=\"k\" type=\"T\"\n"
             "tag=\"cut\" layout=\"L\" scr;een=\"S\"\n"
             "tag=\"ok\"layout=\"\"screen=\"\xE5\x85\xA8\"\n"));
    EXPECT_EQ(rules, (Rules{rule(false, "ok", "", "\xE5\x85\xA8")}));
}

TEST_F(VrFormatRulesTest, StopsAtEndAndOtherwiseReadsToTheLastLine) {
    ASSERT_TRUE(read("#start\ntag=\"a\" layout=\"1\" screen=\"2\"\n#end\ntag=\"b\" layout=\"3\" screen=\"4\"\n"));
    EXPECT_EQ(rules, (Rules{rule(false, "a", "1", "2")}));

    ASSERT_TRUE(read("#start\ntag=\"a\" layout=\"1\" screen=\"2\"\n#end \ntag=\"b\" layout=\"3\" screen=\"4\""));
    EXPECT_EQ(rules, (Rules{rule(false, "a", "1", "2"), rule(false, "b", "3", "4")}));
}

TEST_F(VrFormatRulesTest, LongLinesAreReadWhole) {
    const std::string note(400, 'n');
    ASSERT_TRUE(read("#start\ntag=\"long\" layout=\"L\" screen=\"S\" ;" + note + "\n"));
    EXPECT_EQ(rules, (Rules{rule(false, "long", "L", "S")}));
}

TEST_F(VrFormatRulesTest, MissingRuleFileGivesNoRules) {
    rules.push_back(rule(false, "stale", "L", "S"));
    EXPECT_FALSE(readVrFormatRules(u"VRFormat.txt", &rules));
    EXPECT_FALSE(readVrFormatRules(tmp.file16("nowhere/VRFormat.txt"), &rules));
    EXPECT_TRUE(rules.empty());
}

TEST_F(VrFormatRulesTest, FullPathIsUsedAsGiven) {
    tmp.write("conf/VRFormat.txt", "#start\ntag_sp=\"p\" layout=\"a b\" screen=\"(c,d)\"\n");
    ASSERT_TRUE(readVrFormatRules(tmp.file16("conf/VRFormat.txt"), &rules));
    EXPECT_EQ(rules, (Rules{rule(true, "p", "a b", "(c,d)")}));
}

}  // namespace
}  // namespace tvr::stores
