// SPDX-License-Identifier: MIT
// "#CMD_GET_CHANNEL" and "#CMD_SAVE_CHANNEL": listing a channel, and the headset writing back the
// search or favourites list over several records and packets.
#include "core/text.h"
#include "protocol/control_server.h"
#include "protocol/tagged_message.h"

namespace tvr::protocol {

bool ControlServer::commandGetChannel(std::u16string_view text) {
    std::optional<std::int32_t> channel = intAfterKey(text, u"<ch>");
    if (!channel || *channel < 0) return false;
    library::SortRequest sort;
    sort.sortName = intAfterKey(text, u"<sort_name>").value_or(0);
    sort.sortMode = intAfterKey(text, u"<sort_mode>").value_or(1);
    sort.sortMode2nd = intAfterKey(text, u"<sort_mode_2nd>").value_or(1);
    // The table changes only under the server's lock, which this thread holds; its own mutex is
    // not taken, so the video server is not held up for the length of a listing.
    library::ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, *this};
    return lister_.listChannel(*channel, sort, context) == 1;
}

bool ControlServer::commandSaveChannel(std::u16string_view text) {
    std::optional<std::int32_t> channel = intAfterKey(text, u"<ch>");
    if (!channel) return false;
    library::ListFile* list = nullptr;
    if (favoriteList_.channel() == *channel) {
        list = &favoriteList_;
    } else if (searchList_.channel() == *channel) {
        list = &searchList_;
    } else {
        return false;
    }
    list->clear();
    if (list->hasChangedOnDisk()) {
        list->load();
        appendText(core::format(u"RET_RELOAD(<ch>%d)", {*channel}));
    }
    std::int64_t dataLines = 0;
    for (;;) {
        RecordView record;
        if (current_ >= packetEnd_ && !waitForPacket()) return false;
        if (!nextRecord(&record)) return false;
        std::u16string line;
        if (record.type != kText || !decodeTextPayload(record, &line)) return false;
        std::size_t dat = line.find(u"#DAT");
        if (dat == std::u16string::npos) return false;
        std::u16string_view after = std::u16string_view(line).substr(dat + 4);
        if (messageIs(after, u"_END")) {
            std::optional<std::int32_t> count = intAfterKey(after, u"<no>");
            if (count && *count != dataLines) {
                postStatus(0x200, u"エラー", u"エラー： CommandSaveChannel 受け取ったデータの数が合わない");
                return false;
            }
            list->save();
            return true;
        }
        if (!messageIs(after, u"_SAVE_CHANNEL")) return false;
        ++dataLines;
        if (std::optional<std::u16string> path = quotedAfterKey(after, u"<path>")) list->addUnique(*path);
    }
}

}  // namespace tvr::protocol
