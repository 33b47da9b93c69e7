// SPDX-License-Identifier: MIT
#include "stores/vr_format_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::stores {
namespace {

struct CollectingSink : core::ReplySink {
    void appendText(std::u16string_view message) override { texts.emplace_back(message); }
    void appendResult(std::int32_t, std::int32_t, std::u16string_view) override { ++listCalls; }
    void beginList() override { ++listCalls; }
    void addListEntry(std::uint16_t, std::u16string_view, std::u16string_view) override { ++listCalls; }
    void endList() override { ++listCalls; }

    std::vector<std::u16string> texts;
    int listCalls = 0;
};

std::u16string rule(int no, int sp, const std::string& key, const std::string& layout, const std::string& screen) {
    return platform::fromUtf8("#RET_VR_FORMAT(<no>" + std::to_string(no) + ",<sp>" + std::to_string(sp) + ",<key>\"" +
                              key + "\",<layout>\"" + layout + "\",<screen>\"" + screen + "\")");
}

class VrFormatRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = core::executableFolder();
        core::setExecutableFolder(tmp.path16());
    }
    void TearDown() override { core::setExecutableFolder(previous_); }

    // Writes VRFormat.txt beside the executable and sends its rules.
    int send(const std::string& content) {
        tmp.write("VRFormat.txt", content);
        return sendVrFormatRules(sink, u"VRFormat.txt");
    }

    test::TempFolder tmp;
    CollectingSink sink;

private:
    std::u16string previous_;
};

TEST_F(VrFormatRulesTest, SendsOneMessagePerRuleInEitherForm) {
    ASSERT_EQ(send("\xEF\xBB\xBF#start\r\n"
                   "tag=\"abc\" layout=\"L1\" screen=\"S1\"\r\n"
                   "param=\"P\" tag_sp=\"x\" type=\"T\" ; a note\r\n"
                   "#end\r\n"),
              1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "abc", "L1", "S1"), rule(1, 1, "x", "T", "P")}));
    EXPECT_EQ(sink.listCalls, 0);
}

TEST_F(VrFormatRulesTest, MalformedLinesUseNoRuleNumber) {
    ASSERT_EQ(send("tag=\"before\" layout=\"L\" screen=\"S\"\n"
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
                   "tag=\"ok\"layout=\"\"screen=\"\xE5\x85\xA8\"\n"),
              1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "ok", "", "\xE5\x85\xA8")}));
}

TEST_F(VrFormatRulesTest, StopsAtEndAndOtherwiseReadsToTheLastLine) {
    ASSERT_EQ(send("#start\ntag=\"a\" layout=\"1\" screen=\"2\"\n#end\ntag=\"b\" layout=\"3\" screen=\"4\"\n"), 1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "a", "1", "2")}));

    sink.texts.clear();
    ASSERT_EQ(send("#start\ntag=\"a\" layout=\"1\" screen=\"2\"\n#end \ntag=\"b\" layout=\"3\" screen=\"4\""), 1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "a", "1", "2"), rule(1, 0, "b", "3", "4")}));
}

TEST_F(VrFormatRulesTest, NumbersStartAgainAtEveryHandshake) {
    const std::string file = "#start\ntag=\"a\" layout=\"1\" screen=\"2\"\n";
    ASSERT_EQ(send(file), 1);
    ASSERT_EQ(send(file), 1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "a", "1", "2"), rule(0, 0, "a", "1", "2")}));
}

TEST_F(VrFormatRulesTest, LongLinesAreReadWhole) {
    const std::string note(400, 'n');
    ASSERT_EQ(send("#start\ntag=\"long\" layout=\"L\" screen=\"S\" ;" + note + "\n"), 1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 0, "long", "L", "S")}));
}

TEST_F(VrFormatRulesTest, RuleTooLongForOneMessageIsSkipped) {
    const std::string fits(259 - rule(0, 0, "", "L", "S").size(), 'k');
    const std::string tail = "\" layout=\"L\" screen=\"S\"\n";
    ASSERT_EQ(send("#start\ntag=\"" + fits + "x" + tail + "tag=\"" + fits + tail), 1);
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], rule(0, 0, fits, "L", "S"));
    EXPECT_EQ(sink.texts[0].size(), 259u);
}

TEST_F(VrFormatRulesTest, MissingRuleFileSendsNothing) {
    EXPECT_EQ(sendVrFormatRules(sink, u"VRFormat.txt"), 0);
    EXPECT_EQ(sendVrFormatRules(sink, tmp.file16("nowhere/VRFormat.txt")), 0);
    EXPECT_TRUE(sink.texts.empty());
}

TEST_F(VrFormatRulesTest, FullPathIsUsedAsGiven) {
    tmp.write("conf/VRFormat.txt", "#start\ntag_sp=\"p\" layout=\"a b\" screen=\"(c,d)\"\n");
    ASSERT_EQ(sendVrFormatRules(sink, tmp.file16("conf/VRFormat.txt")), 1);
    EXPECT_EQ(sink.texts, (std::vector<std::u16string>{rule(0, 1, "p", "a b", "(c,d)")}));
}

}  // namespace
}  // namespace tvr::stores
