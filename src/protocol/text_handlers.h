// SPDX-License-Identifier: MIT
#pragma once
// The tagged text messages the headset sends ("#CMD_..."), looked up by name in table order with
// the message-name rule (the text begins with the name).
#include <string_view>

#include "protocol/handler_context.h"

namespace tvr::protocol {

using TextHandler = Outcome (*)(HandlerContext& context, std::u16string_view text);

struct TextRow {
    std::u16string_view name;
    bool needsAuthentication;
    TextHandler handler;
};

/// Runs the first handler whose name begins the text; Failure when none does or the session has
/// not passed the password a handler needs.
Outcome handleText(HandlerContext& context, std::u16string_view text);

/// "#CMD_SETUP": identity check and the server's settings for the headset.
Outcome commandSetup(HandlerContext& context, std::u16string_view text);
/// "#CMD_PASSWORD" with its lockout.
Outcome commandPassword(HandlerContext& context, std::u16string_view text);
/// "#CMD_GET_CHANNEL": a channel's listing.
Outcome commandGetChannel(HandlerContext& context, std::u16string_view text);
/// "#CMD_SAVE_CHANNEL": starts saving a list from the records that follow.
Outcome commandSaveChannel(HandlerContext& context, std::u16string_view text);

}  // namespace tvr::protocol
