// SPDX-License-Identifier: MIT
#include "protocol/refusal.h"

#include "protocol/status_gloss.h"

namespace tvr::protocol {

namespace {

constexpr std::size_t kMaxNameLength = 64;

// The headset's bytes go to a console: no line breaks or terminal controls get through.
std::u16string printable(std::u16string_view text) {
    std::u16string out(text.substr(0, kMaxNameLength));
    for (char16_t& c : out) {
        if (c < 0x20 || c == 0x7F) c = u'?';
    }
    if (text.size() > kMaxNameLength) out += u"...";
    return out;
}

}  // namespace

std::u16string requestName(const RecordView& record) {
    if (record.type == kText) {
        std::u16string text;
        if (!decodeTextPayload(record, &text)) return u"a text record without its terminator";
        return printable(std::u16string_view(text).substr(0, text.find(u'(')));
    }
    if (record.type == kCommand) {
        CommandRecord command;
        if (!decodeCommandPayload(record, &command)) return u"a malformed command record";
        return printable(command.name);
    }
    return u"a record of unknown type";
}

std::u16string refusalReason(std::u16string_view handlerReason, bool statusPosted, const StatusSlot& status) {
    if (!handlerReason.empty()) return std::u16string(handlerReason);
    if (statusPosted && status.code != 0) {
        std::u16string gloss = statusGloss(status.code, status.text1, status.text2);
        std::u16string japanese = status.text1;
        if (!status.text2.empty()) japanese += u" " + status.text2;
        return gloss.empty() ? japanese : gloss + u" (" + japanese + u")";
    }
    return u"the request failed; the server has no further reason";
}

}  // namespace tvr::protocol
