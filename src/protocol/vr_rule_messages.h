// SPDX-License-Identifier: MIT
#pragma once
// The VR format rules as the handshake sends them: one "#RET_VR_FORMAT" text record per rule,
// numbered from 0 at every handshake.
#include <span>

#include "protocol/reply_sink.h"
#include "stores/vr_format_rules.h"

namespace tvr::protocol {

/// The headset holds a tagged message in this many characters; a longer rule would arrive cut.
inline constexpr std::size_t kMaxRuleMessage = 259;

/// Queues one message per rule that fits kMaxRuleMessage; a rule that does not is left out and
/// takes no number.
void appendVrFormatRules(ReplySink& reply, std::span<const stores::VrRule> rules);

}  // namespace tvr::protocol
