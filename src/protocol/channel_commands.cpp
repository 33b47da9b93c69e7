// SPDX-License-Identifier: MIT
// "#CMD_GET_CHANNEL" and "#CMD_SAVE_CHANNEL": listing a channel, and the headset writing back the
// search or favourites list over several records and packets.
#include "core/text.h"
#include "protocol/control_server.h"
#include "protocol/tagged_message.h"

namespace tvr::protocol {

bool CControlServer::CommandGetChannel(std::u16string_view text) {
    std::optional<std::int32_t> channel = IntAfterKey(text, u"<ch>");
    if (!channel || *channel < 0) return false;
    library::SortRequest sort;
    sort.sortName = IntAfterKey(text, u"<sort_name>").value_or(0);
    sort.sortMode = IntAfterKey(text, u"<sort_mode>").value_or(1);
    sort.sortMode2nd = IntAfterKey(text, u"<sort_mode_2nd>").value_or(1);
    // The table changes only under the server's lock, which this thread holds; its own mutex is
    // not taken, so the video server is not held up for the length of a listing.
    library::ListingContext context{config_, extensions_, markers_, searchList_, favoriteList_, *this};
    return lister_.ListChannel(*channel, sort, context) == 1;
}

bool CControlServer::CommandSaveChannel(std::u16string_view text) {
    std::optional<std::int32_t> channel = IntAfterKey(text, u"<ch>");
    if (!channel) return false;
    library::CListFile* list = nullptr;
    if (favoriteList_.channel() == *channel) {
        list = &favoriteList_;
    } else if (searchList_.channel() == *channel) {
        list = &searchList_;
    } else {
        return false;
    }
    list->Clear();
    if (list->HasChangedOnDisk()) {
        list->Load();
        appendText(core::format(u"RET_RELOAD(<ch>%d)", {*channel}));
    }
    std::int64_t dataLines = 0;
    for (;;) {
        RecordView record;
        if (current_ >= packetEnd_ && !WaitForPacket()) return false;
        if (!NextRecord(&record)) return false;
        std::u16string line;
        if (record.type != kText || !decodeTextPayload(record, &line)) return false;
        std::size_t dat = line.find(u"#DAT");
        if (dat == std::u16string::npos) return false;
        std::u16string_view after = std::u16string_view(line).substr(dat + 4);
        if (MessageIs(after, u"_END")) {
            std::optional<std::int32_t> count = IntAfterKey(after, u"<no>");
            if (count && *count != dataLines) {
                PostStatus(0x200, u"エラー", u"エラー： CommandSaveChannel 受け取ったデータの数が合わない");
                return false;
            }
            list->Save();
            return true;
        }
        if (!MessageIs(after, u"_SAVE_CHANNEL")) return false;
        ++dataLines;
        if (std::optional<std::u16string> path = QuotedAfterKey(after, u"<path>")) list->AddUnique(*path);
    }
}

}  // namespace tvr::protocol
