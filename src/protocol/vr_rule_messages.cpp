// SPDX-License-Identifier: MIT
#include "protocol/vr_rule_messages.h"

#include "core/text.h"

namespace tvr::protocol {

void appendVrFormatRules(ReplySink& reply, std::span<const stores::VrRule> rules) {
    std::int64_t number = 0;
    for (const stores::VrRule& rule : rules) {
        const std::u16string message =
            core::format(u"#RET_VR_FORMAT(<no>%d,<sp>%d,<key>\"%s\",<layout>\"%s\",<screen>\"%s\")",
                         {number, std::int64_t{rule.sp ? 1 : 0}, std::u16string_view(rule.key),
                          std::u16string_view(rule.layout), std::u16string_view(rule.screen)});
        if (message.size() > kMaxRuleMessage) continue;
        reply.appendText(message);
        ++number;
    }
}

}  // namespace tvr::protocol
