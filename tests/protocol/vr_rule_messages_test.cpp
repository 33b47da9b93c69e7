// SPDX-License-Identifier: MIT
#include "protocol/vr_rule_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf.h"
#include "support/recording_sink.h"

namespace tvr::protocol {
namespace {

std::string message(int no, int sp, const std::string& key) {
    return "#RET_VR_FORMAT(<no>" + std::to_string(no) + ",<sp>" + std::to_string(sp) + ",<key>\"" + key +
           "\",<layout>\"L\",<screen>\"S\")";
}

stores::VrRule rule(bool sp, const std::string& key) { return {sp, platform::fromUtf8(key), u"L", u"S"}; }

TEST(VrRuleMessagesTest, EachRuleThatFitsTheHeadsetsMessageSizeGetsTheNextNumber) {
    const std::string fits(kMaxRuleMessage - message(1, 0, "").size(), 'k');
    test::RecordingSink sink;
    appendVrFormatRules(sink,
                        std::vector{rule(false, "abc"), rule(true, "x"), rule(false, fits + "x"), rule(false, fits)});
    EXPECT_EQ(sink.events, (std::vector<std::string>{message(0, 0, "abc"), message(1, 1, "x"), message(2, 0, fits)}));
    EXPECT_EQ(sink.events.back().size(), kMaxRuleMessage) << "the longest rule that still arrives whole";
}

}  // namespace
}  // namespace tvr::protocol
