// SPDX-License-Identifier: MIT
#pragma once
// The rule file "VRFormat.txt": each rule between "#start" and "#end" is sent to the headset at
// every handshake as one "#RET_VR_FORMAT(...)" text record.
#include <string_view>

#include "core/reply_sink.h"

namespace tvr::stores {

/// Queues one rule message per accepted rule; 0 when the file cannot be opened.
int sendVrFormatRules(core::ReplySink& sink, std::u16string_view ruleFile);

}  // namespace tvr::stores
