// SPDX-License-Identifier: MIT
// "#CMD_GET_CHANNEL" and "#CMD_SAVE_CHANNEL": listing a channel, and the headset writing back the
// search or favourites list.
#include "core/text.h"
#include "protocol/save_channel.h"
#include "protocol/tagged_message.h"
#include "protocol/text_handlers.h"

namespace tvr::protocol {

Outcome commandGetChannel(HandlerContext& context, std::u16string_view text) {
    std::optional<std::int32_t> channel = intAfterKey(text, u"<ch>");
    if (!channel || *channel < 0) return Outcome::Failure;
    library::SortRequest sort;
    sort.sortName = intAfterKey(text, u"<sort_name>").value_or(0);
    sort.sortMode = intAfterKey(text, u"<sort_mode>").value_or(1);
    sort.sortMode2nd = intAfterKey(text, u"<sort_mode_2nd>").value_or(1);
    bool listed = context.library.listChannel(context.config, *channel, sort, context.reply) == 1;
    return listed ? Outcome::Success : Outcome::Failure;
}

Outcome commandSaveChannel(HandlerContext& context, std::u16string_view text) {
    std::optional<std::int32_t> channel = intAfterKey(text, u"<ch>");
    if (!channel) return Outcome::Failure;
    library::ListFile* list = context.library.listForChannel(*channel);
    if (list == nullptr) return Outcome::Failure;
    bool reloaded = list->hasChangedOnDisk();
    if (reloaded) {
        // Edits made on the PC are kept: the headset's entries join what the file holds now.
        list->clear();
        list->load();
        context.reply.appendText(core::format(u"RET_RELOAD(<ch>%d)", {*channel}));
    }
    context.session.saving = std::make_unique<SaveChannelState>(*list, reloaded);
    return Outcome::Pending;
}

}  // namespace tvr::protocol
