// SPDX-License-Identifier: MIT
#pragma once
// The log lines the commands write: "%-16s, " and the fields. Texts come from the headset, so a
// line break in them is written as the two characters "\r" or "\n": one event stays one line.
#include <string_view>

#include "protocol/handler_context.h"

namespace tvr::protocol {

/// Writes "<tag padded to 16>, <rest>" with line breaks and NULs made visible.
void logCommand(HandlerContext& context, std::u16string_view tag, std::u16string_view rest);

}  // namespace tvr::protocol
