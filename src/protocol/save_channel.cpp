// SPDX-License-Identifier: MIT
#include "protocol/save_channel.h"

#include "core/text.h"
#include "protocol/status_codes.h"
#include "protocol/tagged_message.h"

namespace tvr::protocol {

std::optional<bool> SaveChannelState::feed(HandlerContext& context, const RecordView& record) {
    std::u16string line;
    if (record.type != kText || !decodeTextPayload(record, &line)) return false;
    std::size_t dat = line.find(u"#DAT");
    if (dat == std::u16string::npos) return false;
    std::u16string_view after = std::u16string_view(line).substr(dat + 4);
    if (messageIs(after, u"_END")) return finish(context, after);
    if (!messageIs(after, u"_SAVE_CHANNEL")) return false;
    ++dataLines_;
    if (std::optional<std::u16string> path = quotedAfterKey(after, u"<path>")) paths_.push_back(std::move(*path));
    return std::nullopt;
}

bool SaveChannelState::finish(HandlerContext& context, std::u16string_view end) {
    std::optional<std::int32_t> count = intAfterKey(end, u"<no>");
    if (count && *count != dataLines_) {
        context.status.post(status::kSaveCountMismatch, status::kErrorText,
                            u"エラー： CommandSaveChannel 受け取ったデータの数が合わない");
        return false;
    }
    for (const std::u16string& path : paths_) {
        if (!core::isStorableLine(path)) {
            // A line break would add lines of its own to the list file (even an "#end").
            context.status.post(status::kError, status::kErrorText,
                                u"CommandSaveChannel : 改行などを含むパスは保存できない");
            return false;
        }
    }
    if (!reloaded_) list_.clear();
    for (const std::u16string& path : paths_) list_.addUnique(path);
    return list_.save();
}

}  // namespace tvr::protocol
