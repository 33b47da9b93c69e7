// SPDX-License-Identifier: MIT
#include "protocol/record_reply.h"

#include <optional>
#include <string>

#include "core/text.h"
#include "protocol/command_table.h"
#include "protocol/save_channel.h"
#include "protocol/status_codes.h"
#include "protocol/text_handlers.h"

namespace tvr::protocol {

bool answerRecord(HandlerContext& context, const RecordView& record) {
    if (context.session.saving) {
        std::optional<bool> done = context.session.saving->feed(context, record);
        if (!done) return false;
        context.session.saving.reset();
        appendVerdict(context, *done);
        return true;
    }
    bool success = false;
    if (record.type == kText) {
        std::u16string text;
        if (decodeTextPayload(record, &text)) {
            Outcome outcome = handleText(context, text);
            if (outcome == Outcome::Pending) return false;
            success = outcome == Outcome::Success;
        } else {
            context.status.post(status::kError, status::kErrorText, u"テキストレコードが不正(終端なし)");
        }
    } else if (record.type == kCommand && context.session.authenticated) {
        success = dispatchCommand(context, record);
    }
    appendVerdict(context, success);
    return true;
}

void appendVerdict(HandlerContext& context, bool success) {
    if (success) {
        context.reply.appendText(u"#RET_OK()");
        return;
    }
    StatusSlot current = context.status.current();
    context.reply.appendText(core::format(u"#RET_ERR(<code>%d,<message>\"%s\")", {current.code, current.text2}));
}

}  // namespace tvr::protocol
