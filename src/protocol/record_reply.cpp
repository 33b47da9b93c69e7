// SPDX-License-Identifier: MIT
#include "protocol/record_reply.h"

#include <optional>
#include <string>

#include "core/text.h"
#include "protocol/command_table.h"
#include "protocol/refusal.h"
#include "protocol/save_channel.h"
#include "protocol/status_codes.h"
#include "protocol/text_handlers.h"

namespace tvr::protocol {

bool answerRecord(HandlerContext& context, const RecordView& record) {
    // A refused request gets one console line saying which and why; a handler that knows why
    // leaves its reason in the session, otherwise the status it posted (or the last one) tells.
    const std::uint64_t postsBefore = context.status.postCount();
    context.session.refusal.clear();
    auto noteRefusal = [&](std::u16string_view request) {
        context.status.refuse(std::u16string(request),
                              refusalReason(context.session.refusal, context.status.postCount() != postsBefore,
                                            context.status.current()));
    };
    if (context.session.saving) {
        std::optional<bool> done = context.session.saving->feed(context, record);
        if (!done) return false;
        context.session.saving.reset();
        if (!*done) noteRefusal(u"#CMD_SAVE_CHANNEL");
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
    } else if (record.type == kCommand) {
        context.session.refusal = u"the headset has not logged in (#CMD_SETUP, and #CMD_PASSWORD when asked)";
    }
    if (!success) noteRefusal(requestName(record));
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
