// SPDX-License-Identifier: MIT
// "#CMD_GET_CHANNEL" and "#CMD_SAVE_CHANNEL": listing a channel, and the headset writing back the
// search or favourites list.
#include "core/text.h"
#include "library/channel_explain.h"
#include "protocol/listing_reply.h"
#include "protocol/save_channel.h"
#include "protocol/status_codes.h"
#include "protocol/tagged_message.h"
#include "protocol/text_handlers.h"

namespace tvr::protocol {

Outcome commandGetChannel(HandlerContext& context, std::u16string_view text) {
    std::optional<std::int32_t> channel = intAfterKey(text, u"<ch>");
    if (!channel) {
        refuse(context, u"the request names no channel (<ch>)");
        return Outcome::Failure;
    }
    library::SortRequest sort;
    sort.sortName = intAfterKey(text, u"<sort_name>").value_or(0);
    sort.sortMode = intAfterKey(text, u"<sort_mode>").value_or(1);
    sort.sortMode2nd = intAfterKey(text, u"<sort_mode_2nd>").value_or(1);
    ListingReply listing(context.reply);
    const bool listingRan = *channel >= 0;
    bool listed = listingRan && context.library.listChannel(context.config, *channel, sort, listing) == 1;
    // Each goes to the console and the log; the refused list, posted last, makes the error reply.
    // A channel number below 0 lists nothing, so an earlier listing's notes are not its own.
    const library::ListingNotes none;
    const library::ListingNotes& notes = listingRan ? context.library.listingNotes() : none;
    for (const std::u16string& folder : notes.undecodableFolders) {
        context.status.post(status::kError, status::kErrorText,
                            core::format(status::kUndecodableNamesFormat, {std::u16string_view(folder)}));
    }
    if (notes.moreUndecodableFolders > 0) {
        context.status.post(
            status::kError, status::kErrorText,
            core::format(status::kMoreUndecodableFormat, {static_cast<std::int64_t>(notes.moreUndecodableFolders)}));
    }
    if (notes.capped) {
        context.status.post(
            status::kError, status::kErrorText,
            core::format(status::kWalkCappedFormat, {static_cast<std::int64_t>(library::kMaxWalkFolders)}));
    }
    if (!notes.tooLargeList.empty()) {
        context.status.post(
            status::kError, status::kErrorText,
            core::format(status::kListTooLargeFormat, {notes.tooLargeBytes, std::u16string_view(notes.tooLargeList)}));
    }
    // Once per listing: a library of .mkv files under the default extensions lists nothing.
    if (notes.skipped.total() > 0) {
        context.status.note(library::makeSkipNote(*channel, notes.listed, notes.skipped, context.config.extensions));
    }
    if (listed) return Outcome::Success;
    if (notes.abandoned) {
        refuse(context, library::explainAbandonedListing(context.config, *channel));
    } else if (notes.tooLargeList.empty()) {
        refuse(context, library::explainUnlistedChannel(context.config, *channel));
    }
    return Outcome::Failure;
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
