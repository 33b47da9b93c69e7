// SPDX-License-Identifier: MIT
#include "protocol/tagged_message.h"

#include <gtest/gtest.h>

namespace tvr::protocol {
namespace {

TEST(TaggedMessage, NameIsAPrefixTest) {
    EXPECT_TRUE(messageIs(u"#CMD_SETUP(<protocol_ver>130)", u"#CMD_SETUP"));
    EXPECT_TRUE(messageIs(u"#CMD_SETUPXYZ(", u"#CMD_SETUP"));
    EXPECT_FALSE(messageIs(u"#CMD_SETU", u"#CMD_SETUP"));
    EXPECT_FALSE(messageIs(u"#cmd_setup()", u"#CMD_SETUP"));
}

TEST(TaggedMessage, ChannelRequestKeysWithDefaults) {
    std::u16string only = u"#CMD_GET_CHANNEL(<ch>3)";
    EXPECT_EQ(intAfterKey(only, u"<ch>"), 3);
    EXPECT_EQ(intAfterKey(only, u"<sort_name>"), std::nullopt);
    EXPECT_EQ(intAfterKey(only, u"<sort_mode>").value_or(1), 1);

    std::u16string mixed = u"#CMD_GET_CHANNEL(<sort_mode>2,<sort_mode_2nd>0,<ch> 5)";
    EXPECT_EQ(intAfterKey(mixed, u"<ch>"), 5);
    EXPECT_EQ(intAfterKey(mixed, u"<sort_mode>"), 2);
    EXPECT_EQ(intAfterKey(mixed, u"<sort_mode_2nd>"), 0);
}

TEST(TaggedMessage, IntegerReadsLikeWcstol) {
    EXPECT_EQ(intAfterKey(u"<ch>abc", u"<ch>"), 0);
    EXPECT_EQ(intAfterKey(u"<ch>-1)", u"<ch>"), -1);
    EXPECT_EQ(intAfterKey(u"<ch>+7", u"<ch>"), 7);
    EXPECT_EQ(intAfterKey(u"<ch>99999999999", u"<ch>"), 2147483647);
    EXPECT_EQ(intAfterKey(u"<ch>-99999999999", u"<ch>"), -2147483647 - 1);
    EXPECT_EQ(int64AfterKey(u"<a.0>123456789012345", u"<a.0>"), 123456789012345);
    EXPECT_EQ(int64AfterKey(u"<a.0>99999999999999999999", u"<a.0>"), INT64_MAX);
}

TEST(TaggedMessage, QuotedValues) {
    EXPECT_EQ(quotedAfterKey(u"#X(<path>\"C:\\a, (b) <c>.mp4\")", u"<path>"), u"C:\\a, (b) <c>.mp4");
    EXPECT_EQ(quotedAfterKey(u"#X(<path>\"no end", u"<path>"), u"no end");
    EXPECT_EQ(quotedAfterKey(u"#X(<path>)", u"<path>"), u"");
    EXPECT_EQ(quotedAfterKey(u"#X(<path> junk \"v\")", u"<path>"), u"v");
    EXPECT_EQ(quotedAfterKey(u"#X()", u"<path>"), std::nullopt);
}

TEST(TaggedMessage, FirstOccurrenceWinsEvenInsideAValue) {
    std::u16string text = u"#X(<name>\"<ch>9\",<ch>2)";
    EXPECT_EQ(intAfterKey(text, u"<ch>"), 9);
}

TEST(TaggedMessage, IndexedKeys) {
    EXPECT_EQ(indexedKey(u"<type.%d>", 7), u"<type.7>");
    EXPECT_EQ(intAfterKey(u"<en.0>1,<en.1>0", indexedKey(u"<en.%d>", 1)), 0);
}

}  // namespace
}  // namespace tvr::protocol
