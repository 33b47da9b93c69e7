// SPDX-License-Identifier: MIT
#include "protocol/text_handlers.h"

#include <array>

#include "protocol/tagged_message.h"

namespace tvr::protocol {

namespace {

constexpr std::array kTextTable{
    TextRow{u"#CMD_SETUP", false, commandSetup},
    TextRow{u"#CMD_PASSWORD", false, commandPassword},
    TextRow{u"#CMD_GET_CHANNEL", true, commandGetChannel},
    TextRow{u"#CMD_SAVE_CHANNEL", true, commandSaveChannel},
};

}  // namespace

Outcome handleText(HandlerContext& context, std::u16string_view text) {
    for (const TextRow& row : kTextTable) {
        if (!messageIs(text, row.name)) continue;
        if (row.needsAuthentication && !context.session.authenticated) {
            refuse(context, u"the headset has not logged in (#CMD_SETUP, and #CMD_PASSWORD when asked)");
            return Outcome::Failure;
        }
        return row.handler(context, text);
    }
    refuse(context, u"not a request this server knows");
    return Outcome::Failure;
}

}  // namespace tvr::protocol
