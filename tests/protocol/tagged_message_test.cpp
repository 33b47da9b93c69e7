// SPDX-License-Identifier: MIT
#include "protocol/tagged_message.h"

#include <gtest/gtest.h>

namespace tvr::protocol {
namespace {

TEST(TaggedMessage, NameIsAPrefixTest) {
    EXPECT_TRUE(MessageIs(u"#CMD_SETUP(<protocol_ver>130)", u"#CMD_SETUP"));
    EXPECT_TRUE(MessageIs(u"#CMD_SETUPXYZ(", u"#CMD_SETUP"));
    EXPECT_FALSE(MessageIs(u"#CMD_SETU", u"#CMD_SETUP"));
    EXPECT_FALSE(MessageIs(u"#cmd_setup()", u"#CMD_SETUP"));
}

TEST(TaggedMessage, ChannelRequestKeysWithDefaults) {
    std::u16string only = u"#CMD_GET_CHANNEL(<ch>3)";
    EXPECT_EQ(IntAfterKey(only, u"<ch>"), 3);
    EXPECT_EQ(IntAfterKey(only, u"<sort_name>"), std::nullopt);
    EXPECT_EQ(IntAfterKey(only, u"<sort_mode>").value_or(1), 1);

    std::u16string mixed = u"#CMD_GET_CHANNEL(<sort_mode>2,<sort_mode_2nd>0,<ch> 5)";
    EXPECT_EQ(IntAfterKey(mixed, u"<ch>"), 5);
    EXPECT_EQ(IntAfterKey(mixed, u"<sort_mode>"), 2);
    EXPECT_EQ(IntAfterKey(mixed, u"<sort_mode_2nd>"), 0);
}

TEST(TaggedMessage, IntegerReadsLikeWcstol) {
    EXPECT_EQ(IntAfterKey(u"<ch>abc", u"<ch>"), 0);
    EXPECT_EQ(IntAfterKey(u"<ch>-1)", u"<ch>"), -1);
    EXPECT_EQ(IntAfterKey(u"<ch>+7", u"<ch>"), 7);
    EXPECT_EQ(IntAfterKey(u"<ch>99999999999", u"<ch>"), 2147483647);
    EXPECT_EQ(IntAfterKey(u"<ch>-99999999999", u"<ch>"), -2147483647 - 1);
    EXPECT_EQ(Int64AfterKey(u"<a.0>123456789012345", u"<a.0>"), 123456789012345);
    EXPECT_EQ(Int64AfterKey(u"<a.0>99999999999999999999", u"<a.0>"), INT64_MAX);
}

TEST(TaggedMessage, QuotedValues) {
    EXPECT_EQ(QuotedAfterKey(u"#X(<path>\"C:\\a, (b) <c>.mp4\")", u"<path>"), u"C:\\a, (b) <c>.mp4");
    EXPECT_EQ(QuotedAfterKey(u"#X(<path>\"no end", u"<path>"), u"no end");
    EXPECT_EQ(QuotedAfterKey(u"#X(<path>)", u"<path>"), u"");
    EXPECT_EQ(QuotedAfterKey(u"#X(<path> junk \"v\")", u"<path>"), u"v");
    EXPECT_EQ(QuotedAfterKey(u"#X()", u"<path>"), std::nullopt);
}

TEST(TaggedMessage, FirstOccurrenceWinsEvenInsideAValue) {
    std::u16string text = u"#X(<name>\"<ch>9\",<ch>2)";
    EXPECT_EQ(IntAfterKey(text, u"<ch>"), 9);
}

TEST(TaggedMessage, IndexedKeys) {
    EXPECT_EQ(IndexedKey(u"<type.%d>", 7), u"<type.7>");
    EXPECT_EQ(IntAfterKey(u"<en.0>1,<en.1>0", IndexedKey(u"<en.%d>", 1)), 0);
}

}  // namespace
}  // namespace tvr::protocol
